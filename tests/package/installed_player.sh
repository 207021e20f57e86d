#!/usr/bin/env bash
# Installs the build into a folder of its own with `cmake --install` and runs what was installed:
# duvara-subs, duvara --version, and the player itself, offscreen, on the demo film, as a user who
# may not write the programs' folder (as after a package install). The player is ended with
# SIGTERM, which closes its window: its settings must then be in $XDG_CONFIG_HOME/Duvara.
#   installed_player.sh BUILD_DIR SOURCE_DIR LAYOUT_TEST VERSION
set -euo pipefail

build=$1 source=$2 layout_test=$3 version=$4
work=$build/tests/installed-player
prefix=$work/prefix
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Left in place after a failure, for a look; removed on the next run and after a pass.
chmod -R u+w "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install"; }

expected=(
  bin/duvara bin/duvara-subs
  share/applications/org.duvara.Duvara.desktop
  share/metainfo/org.duvara.Duvara.metainfo.xml
  share/icons/hicolor/scalable/apps/org.duvara.Duvara.svg
  share/icons/hicolor/48x48/apps/org.duvara.Duvara.png
  share/icons/hicolor/128x128/apps/org.duvara.Duvara.png
  share/icons/hicolor/256x256/apps/org.duvara.Duvara.png
  share/duvara/help/index.html share/duvara/help/style.css share/duvara/help/images/main-window.png
)
for page in "$source"/man/*.1; do
  expected+=("share/man/man1/$(basename "$page").gz")
done
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/org.duvara.Duvara.metainfo.xml" ||
  fail "the metainfo does not list the release $version"
# The metainfo as the software centres read it from a tree: its desktop entry and icon beside it.
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
for page in "$prefix"/share/man/man1/*.gz; do
  zcat "$page" | grep -q '^\.TH ' || fail "$page is no manual page"
done

echo "== duvara-subs --help"
"$prefix/bin/duvara-subs" --help >"$work/subs-help.txt" || fail "duvara-subs --help failed"
grep -q "align" "$work/subs-help.txt" || fail "duvara-subs --help lists no commands"
echo "== duvara --version"
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/duvara" --version)
[ "$answer" = "duvara $version" ] || fail "duvara --version said \"$answer\""

echo "== what the player finds beside itself"
mkdir -p "$work/run"
chmod 0700 "$work/run"
DUVARA_INSTALLED_PREFIX=$prefix QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/run "$layout_test" ||
  fail "the installed player does not find its help or icon"

echo "== the installed player, offscreen"
home=$work/home
mkdir -p "$home"
cp "$source/assets/demo/demo.mp4" "$work/film.mp4"
# Only the owner of the programs' folder may write there; as root, anyone may, so the player
# runs as nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$home" "$work/run"
  chmod 0755 "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  chmod a-w "$prefix/bin"
fi
env -u DUVARA_CONFIG_DIR -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_DIRS -u XDG_DATA_DIRS \
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  QT_LOGGING_RULES="duvara.*.info=true" \
  "${as_user[@]}" "$prefix/bin/duvara" "$work/film.mp4" >"$work/player.log" 2>&1 &
player=$!

# The film plays once its first frame is drawn; a player that ended before is a failure.
deadline=$((SECONDS + 120))
until grep -q "first frame shown" "$work/player.log"; do
  if ! kill -0 "$player" 2>/dev/null; then
    cat "$work/player.log"
    fail "the player ended before it showed the film"
  fi
  if [ "$SECONDS" -ge "$deadline" ]; then
    kill -KILL "$player" || true
    cat "$work/player.log"
    fail "no frame of the film was shown"
  fi
  sleep 0.2
done
kill -TERM "$player"
status=0
wait "$player" || status=$?
cat "$work/player.log"
[ "$status" -eq 0 ] || fail "the player ended with status $status after SIGTERM"

[ -s "$home/.config/Duvara/Duvara.ini" ] || fail "no settings in \$XDG_CONFIG_HOME/Duvara"
leftovers=$(ls "$prefix/bin" | grep -v -x -e duvara -e duvara-subs || true)
[ -z "$leftovers" ] || fail "the player wrote beside itself: $leftovers"
grep -q "^\[Volume\]" "$home/.config/Duvara/Duvara.ini" || fail "the settings file lacks [Volume]"

chmod -R u+w "$work"
rm -rf "$work"
echo "installed player: PASS"
