#!/usr/bin/env bash
# Memory over a long session, the way a viewer uses the player: a playlist of films played from
# end to end, again and again, both subtitle tracks open on each, fast motion at 16 and -16 and
# seeks forward and back in every film. The player's own window runs it (duvara-soak, built from
# bench/) under Xvfb; its resident memory is printed every 30 s, then the growth after the first
# pass through the playlist and the frames the core dropped.
#
#   scripts/soak-session.sh BUILD_DIR
#
# BUILD_DIR is a Release build with the benchmarks (-DDUVARA_BUILD_BENCHMARKS=ON). SOAK_MINUTES
# (30) is the length of the run, SOAK_FILM_SECONDS (45) that of each of the four films (1080p30
# and 1920x800 at 24 fps in H.264, 720p in H.264 and in MPEG-4 part 2). SOAK_PLAYER_ENV adds
# variables for the player alone (for example SOAK_PLAYER_ENV="MALLOC_ARENA_MAX=2"); SOAK_LOG
# names a file to keep the player's log in.
#
# scripts/soak-memory.sh is the older, shorter run: a new film handed to the running player every
# few seconds.
set -euo pipefail

build=$(cd "${1:?usage: soak-session.sh BUILD_DIR}" && pwd)
driver="$build/bin/duvara-soak"
minutes=${SOAK_MINUTES:-30}
film_seconds=${SOAK_FILM_SECONDS:-45}
[ -x "$driver" ] || { echo "no $driver: build with -DDUVARA_BUILD_BENCHMARKS=ON" >&2; exit 1; }

# shellcheck source=scripts/screen-session.sh
source "$(dirname "$0")/screen-session.sh"

echo "== making 4 films of $film_seconds s, each with two subtitle tracks"
make_film() {
  local name=$1 source=$2 size=$3 rate=$4; shift 4
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "$source=size=$size:rate=$rate:duration=$film_seconds" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$film_seconds" \
    "$@" -c:a aac -b:a 96k -shortest "$work/$name"
}
make_film film-1-1080p.mp4 testsrc2 1920x1080 30 -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 60
make_film film-2-720p.mp4 smptehdbars 1280x720 25 -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 50
make_film film-3-scope.mp4 testsrc 1920x800 24 -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 48
make_film film-4-mpeg4.mp4 testsrc2 1280x720 25 -c:v mpeg4 -q:v 4 -g 50

# One caption every 2 s; the second track in another language, outside ASCII.
srt_time() { printf '%02d:%02d:%02d,%03d' $(( $1 / 3600000 )) $(( $1 / 60000 % 60 )) $(( $1 / 1000 % 60 )) $(( $1 % 1000 )); }
make_track() {
  local file=$1 text=$2 n=1 at
  : >"$file"
  for (( at = 500; at + 1600 < film_seconds * 1000; at += 2000 )); do
    printf '%d\n%s --> %s\n%s %d\n%s\n\n' "$n" "$(srt_time $at)" "$(srt_time $(( at + 1600 )))" \
      "$text" "$n" "second line of caption $n" >>"$file"
    n=$(( n + 1 ))
  done
}
films=()
for film in "$work"/film-*.mp4; do
  make_track "${film%.mp4}.en.srt" "Primary caption"
  make_track "${film%.mp4}.de.srt" "Zweite Spur, Grüße aus Köln:"
  films+=("$film" "${film%.mp4}.en.srt" "${film%.mp4}.de.srt")
done

start_screen
# Settings, playlist and film memory of its own, away from the user's.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export DUVARA_CONFIG_DIR="$work/config"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

echo "== $minutes minutes of playback (load $(cut -d' ' -f1-3 /proc/loadavg) at the start)"
log="$work/player.log"
# shellcheck disable=SC2086
env ${SOAK_PLAYER_ENV:-} QT_LOGGING_RULES="duvara.media.info=true" \
  "$driver" "$minutes" "${films[@]}" 2>"$log" &
player_pid=$!
wait "$player_pid" || { echo "the player ended early:" >&2; tail -20 "$log" >&2; exit 1; }
player_pid=
echo "== load $(cut -d' ' -f1-3 /proc/loadavg) at the end"
# One line per film played to its end: "N frames drawn, U taken undrawn, D dropped, ...".
ends=$(grep 'playback complete' "$log" || true)
count_of() { sed -n "s/.* \([0-9]*\) $1.*/\1/p" <<<"$ends" | paste -sd+ | bc; }
# The output's counts run over the whole session; the core's dropped frames are each film's own.
last_count() { tail -1 <<<"$ends" | sed -n "s/.* \([0-9]*\) $1.*/\1/p"; }
echo "films played to their end: $(grep -c . <<<"$ends");" \
  "frames drawn $(last_count 'frames drawn'), taken undrawn $(last_count 'taken undrawn')," \
  "dropped by the core $(count_of dropped)"
echo "films with dropped frames (frames drawn, dropped):" \
  "$(sed -n 's/.*complete: \([0-9]*\) frames drawn.* \([1-9][0-9]*\) dropped.*/\1,\2/p' <<<"$ends" | paste -sd' ')"
[ -z "${SOAK_LOG:-}" ] || cp "$log" "$SOAK_LOG"
errors=$(grep -i 'error\|failed\|cannot' "$log" | grep -v 'ALSA\|pw\.conf' || true)
echo "errors in the player's log: $(grep -c . <<<"$errors" || true)"
[ -z "$errors" ] || sort <<<"$errors" | uniq -c | sort -rn | head -5
