#!/usr/bin/env bash
# Memory over a long session: the running player is handed a new film every few seconds, the
# way a later start of `duvara FILE` hands one over, and its resident memory is read once per
# film, just before the next one comes. Prints one line per film (film number, RSS in MB), then
# the growth over the first film and per film after the warm-up.
#
#   scripts/soak-memory.sh BUILD_DIR
#
# BUILD_DIR is a Release build. SOAK_FILMS (24), SOAK_INTERVAL (8 s between films),
# SOAK_FILM_SECONDS (12) and SOAK_SIZE (1280x720) change the run. With SOAK_INTERVAL longer than
# the films, each one plays to its end before the next arrives. SOAK_WARMUP (5) is the film after
# which growth counts as growth. SOAK_PLAYER_ENV adds variables for the player alone (for example
# SOAK_PLAYER_ENV="MALLOC_ARENA_MAX=8").
#
# A sanitizer build runs too. Its allocator holds freed memory back in a quarantine of 256 MB,
# which fills over the first films before the curve levels off;
# SOAK_PLAYER_ENV="ASAN_OPTIONS=quarantine_size_mb=0" shows the player's own curve.
set -euo pipefail

build=$(cd "${1:?usage: soak-memory.sh BUILD_DIR}" && pwd)
player="$build/bin/duvara"
films=${SOAK_FILMS:-24}
interval=${SOAK_INTERVAL:-8}
film_seconds=${SOAK_FILM_SECONDS:-12}
size=${SOAK_SIZE:-1280x720}
warmup=${SOAK_WARMUP:-5}
[ -x "$player" ] || { echo "no player at $player" >&2; exit 1; }

# shellcheck source=scripts/screen-session.sh
source "$(dirname "$0")/screen-session.sh"

# Two pictures, so that neighbouring films differ; every film is a file of its own.
echo "== making $films films of $film_seconds s at $size"
for pattern in testsrc2 smptehdbars; do
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "$pattern=size=$size:rate=25:duration=$film_seconds" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$film_seconds" \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 50 -c:a aac -b:a 64k -shortest \
    "$work/$pattern.mp4"
done
for i in $(seq 1 "$films"); do
  if (( i % 2 )); then base=testsrc2; else base=smptehdbars; fi
  cp "$work/$base.mp4" "$(printf '%s/film-%02d.mp4' "$work" "$i")"
done

start_screen
export QT_LOGGING_RULES="duvara.*.info=true"

rss_mb() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

# With SOAK_DETAIL=1 each line also tells the threads, the anonymous memory, the number of heaps
# that glibc's malloc has beside its main one (each a 64 MB reservation, partly resident) and the
# CPU seconds the player has used so far.
ticks=$(getconf CLK_TCK)
detail() {
  local pid=$1 threads anon heaps cpu stat
  threads=$(awk '/^Threads/ {print $2}' "/proc/$pid/status")
  anon=$(awk '/^RssAnon/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
  # A heap starts on a 64 MB boundary: its used part is read-write, the rest reserved.
  heaps=0
  while read -r range perms _ _ _ name; do
    [ -z "$name" ] && [ "${perms:0:2}" = rw ] && (( (16#${range%-*} & 0x3ffffff) == 0 )) \
      && heaps=$((heaps + 1))
  done <"/proc/$pid/maps"
  read -r -a stat < <(cut -d')' -f2 "/proc/$pid/stat")
  cpu=$(awk -v t=$(( stat[11] + stat[12] )) -v hz="$ticks" 'BEGIN { printf "%.1f", t / hz }')
  printf '  threads %3s  anon %7s MB  arena heaps %3s  cpu %7s s' "$threads" "$anon" "$heaps" "$cpu"
}

film() { printf '%s/film-%02d.mp4' "$work" "$1"; }

log="$work/player.log"
: >"$log"
# shellcheck disable=SC2086
env ${SOAK_PLAYER_ENV:-} "$player" "$(film 1)" >"$log" 2>&1 &
player_pid=$!
for _ in $(seq 1 300); do
  grep -q "main window shown" "$log" && break
  sleep 0.1
done
grep -q "main window shown" "$log" || { echo "the player did not start:" >&2; cat "$log" >&2; exit 1; }

echo "== $films films, one every $interval s (film, RSS MB)"
declare -a rss
for i in $(seq 1 "$films"); do
  if (( i > 1 )); then
    # A later start: hands the film over and ends once the player has taken it.
    DUVARA_HAND_OVER_WAIT_MS=20000 "$player" "$(film "$i")" >>"$work/hand-over.log" 2>&1 \
      || { echo "film $i was not handed over:" >&2; cat "$work/hand-over.log" >&2; exit 1; }
  fi
  sleep "$interval"
  kill -0 "$player_pid" 2>/dev/null || { echo "the player ended:" >&2; tail -20 "$log" >&2; exit 1; }
  rss[$i]=$(rss_mb "$player_pid")
  printf '%3d %8s' "$i" "${rss[$i]}"
  [ "${SOAK_DETAIL:-0}" = 1 ] && detail "$player_pid"
  printf '\n'
done

errors=$(grep -ci "cannot render\|failed" "$log" || true)
echo "== summary"
echo "after film 1: ${rss[1]} MB; after film $films: ${rss[$films]} MB"
if (( films > warmup )); then
  awk -v a="${rss[$warmup]}" -v b="${rss[$films]}" -v n=$((films - warmup)) -v w="$warmup" \
    'BEGIN { printf "after film %d: %.1f MB; then %+.2f MB per film\n", w, a, (b - a) / n }'
fi
echo "films that failed to play: $errors"
