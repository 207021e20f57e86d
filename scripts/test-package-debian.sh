#!/usr/bin/env bash
# Installs Duvara's .deb with apt-get on a fresh, minimal Debian 12 (a chroot made by debootstrap)
# and runs the installed programs there as an ordinary user: duvara-subs --help, duvara --version,
# and the player offscreen on the demo film, ended with SIGTERM, after which its settings must be
# in ~/.config/Duvara.
#
#   scripts/test-package-debian.sh [--build DIR]     builds the package in DIR (default build)
#   scripts/test-package-debian.sh PATH/duvara_*.deb  takes a package made before
#
# Needs root (chroot, mounts) and debootstrap. The base system is downloaded once and kept as
# DIR/debian12/base.tar.gz and the packages apt-get fetches in DIR/debian12/apt-archives; every
# run unpacks the base anew, so each install starts from a clean system. DUVARA_DEBIAN_MIRROR
# chooses the mirror.
set -euo pipefail

root_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$root_dir/build
deb=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *.deb) deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); shift ;;
    *) echo "test-package-debian: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" -ne 0 ]; then
  echo "test-package-debian: needs root (debootstrap, chroot and mounts); try sudo" >&2
  exit 2
fi
command -v debootstrap >/dev/null ||
  { echo "test-package-debian: debootstrap is missing (scripts/install-deps.sh --package)" >&2; exit 2; }

started=$SECONDS
step() { printf '\n== [%3d s] %s\n' $((SECONDS - started)) "$*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ -z "$deb" ]; then
  step "building the package in $build"
  cmake --build "$build" -j"${JOBS:-2}" >/dev/null
  (cd "$build" && cpack -G DEB) | tail -n 3
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
  deb=$build/duvara_${version}_amd64.deb
fi
[ -f "$deb" ] || fail "no package at $deb"
version=$(dpkg-deb -f "$deb" Version)

work=$build/debian12
chroot_dir=$work/root
base=$work/base.tar.gz
mkdir -p "$work"

mounted=()
cleanup() {
  local status=$?
  # The player, if a failure left it running, holds the chroot's /proc.
  if [ -n "${player:-}" ]; then kill -KILL "$player" 2>/dev/null || true; fi
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R -l "${mounted[i]}" 2>/dev/null || true
  done
  exit "$status"
}
trap cleanup EXIT INT TERM

if [ ! -f "$base" ]; then
  step "making a minimal Debian 12 with debootstrap (once; kept as $base)"
  rm -rf "$work/bootstrap"
  debootstrap --variant=minbase bookworm "$work/bootstrap" \
    "${DUVARA_DEBIAN_MIRROR:-http://deb.debian.org/debian}" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; fail "debootstrap"; }
  tar -C "$work/bootstrap" -czf "$base.part" . && mv "$base.part" "$base"
  rm -rf "$work/bootstrap"
fi

step "unpacking a clean system into $chroot_dir"
# A run that was killed may have left its mounts: removing the old system through them would
# remove the host's /dev.
for target in $(findmnt -rn -o TARGET | grep "^$chroot_dir/" | sort -r || true); do
  umount -R -l "$target"
done
! findmnt -rn -o TARGET | grep -q "^$chroot_dir/" || fail "mounts are left under $chroot_dir"
rm -rf --one-file-system "$chroot_dir"
mkdir -p "$chroot_dir"
tar -C "$chroot_dir" -xzf "$base"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
mount_in() { # TARGET MOUNT-ARGUMENTS...
  local target=$chroot_dir$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}
mount_in /proc -t proc proc
# The host's devices, without its later mounts coming back out of the chroot.
mount_in /dev --rbind /dev
mount --make-rslave "$chroot_dir/dev"
# The packages apt-get downloads are kept across runs: a second run fetches only what changed.
mkdir -p "$work/apt-archives/partial"
mount_in /var/cache/apt/archives --bind "$work/apt-archives"
in_chroot() { chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }

step "apt-get install ./$(basename "$deb")"
mkdir -p "$chroot_dir/tmp/package"
cp "$deb" "$chroot_dir/tmp/package/"
chmod 0755 "$chroot_dir/tmp/package"
chmod 0644 "$chroot_dir/tmp/package/$(basename "$deb")"
in_chroot apt-get update -qq
install_started=$SECONDS
in_chroot sh -c "cd /tmp/package && apt-get install -y ./$(basename "$deb")" >"$work/apt.log" 2>&1 ||
  { tail -n 30 "$work/apt.log"; fail "apt-get install"; }
install_seconds=$((SECONDS - install_started))
grep -E "^(Setting up duvara|[0-9]+ upgraded, [0-9]+ newly installed)" "$work/apt.log"

step "the installed files"
in_chroot sh -c 'dpkg -L duvara | { help=0; while read -r f; do
  [ -f "$f" ] || continue
  case $f in */duvara/help/*) help=$((help + 1)) ;; *) echo "  $f" ;; esac
done; echo "  and $help files of help under /usr/share/duvara/help"; }'
in_chroot sh -c 'test -x /usr/bin/duvara && test -x /usr/bin/duvara-subs &&
  test -f /usr/share/duvara/help/index.html &&
  test -f /usr/share/applications/org.duvara.Duvara.desktop &&
  test -f /usr/share/metainfo/org.duvara.Duvara.metainfo.xml &&
  test -f /usr/share/icons/hicolor/scalable/apps/org.duvara.Duvara.svg' ||
  fail "a file is missing from the installed package"

step "as an ordinary user"
in_chroot useradd --create-home --shell /bin/sh viewer
cp "$root_dir/assets/demo/demo.mp4" "$chroot_dir/home/viewer/film.mp4"
in_chroot chown viewer:viewer /home/viewer/film.mp4
in_chroot install -d -o viewer -g viewer -m 0700 /run/user/viewer
# A command line, not a function: run in the background, a function would be a shell of its own
# between us and the player, and the signal would end that shell instead of closing the player.
as_viewer=(chroot --userspec=viewer:viewer "$chroot_dir" /usr/bin/env -i
  PATH=/usr/bin:/bin HOME=/home/viewer LANG=C.UTF-8 XDG_RUNTIME_DIR=/run/user/viewer
  QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="duvara.*.info=true"
  sh -c 'cd "$HOME" && exec "$@"' sh)

echo "\$ duvara-subs --help"
"${as_viewer[@]}" duvara-subs --help || fail "duvara-subs --help"
echo "\$ duvara --version"
answer=$("${as_viewer[@]}" duvara --version) || fail "duvara --version"
echo "$answer"
[ "$answer" = "duvara $version" ] || fail "duvara --version said \"$answer\", not \"duvara $version\""

echo "\$ duvara film.mp4   (offscreen, ended with SIGTERM once the film shows)"
log=$work/player.log
"${as_viewer[@]}" duvara film.mp4 >"$log" 2>&1 &
player=$!
deadline=$((SECONDS + 120))
until grep -q "first frame shown" "$log"; do
  kill -0 "$player" 2>/dev/null || { cat "$log"; fail "the player ended before it showed the film"; }
  [ "$SECONDS" -lt "$deadline" ] || { cat "$log"; fail "no frame of the film was shown"; }
  sleep 0.2
done
# The player is the chroot's command itself (chroot, env and sh exec it): the signal reaches it.
kill -TERM "$player"
status=0
wait "$player" || status=$?
player=""
sed 's/^/  /' "$log"
[ "$status" -eq 0 ] || fail "the player ended with status $status after SIGTERM"
settings=$chroot_dir/home/viewer/.config/Duvara/Duvara.ini
[ -s "$settings" ] || fail "no settings in ~/.config/Duvara"
echo "settings kept in ~/.config/Duvara:"
in_chroot ls -l /home/viewer/.config/Duvara | sed 's/^/  /'
[ ! -e "$chroot_dir/usr/bin/Duvara.ini" ] || fail "the player wrote its settings beside itself"

step "summary"
echo "package:        $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB; installed $(dpkg-deb -f "$deb" Installed-Size) KiB)"
echo "Depends:        $(dpkg-deb -f "$deb" Depends)"
echo "Recommends:     $(dpkg-deb -f "$deb" Recommends)"
echo "apt-get install took ${install_seconds} s; the whole run $((SECONDS - started)) s"
echo "clean Debian 12 package test: PASS"
