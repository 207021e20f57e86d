#!/usr/bin/env bash
# CPU of the fast-motion ladder's ends (16 and -16: one seek per one-second tick) on a 1080p
# H.264 film, beside normal playback of the same film.
#   scripts/bench-fast-motion.sh BENCH_BUILD_DIR
set -euo pipefail

bench_build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds=100
film="$work/film-1080p-long.mp4"
echo "== making a ${seconds} s 1080p H.264 film (keyframe every 10 s)"
ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=$seconds" \
  -c:v libx264 -preset ultrafast -g 250 -pix_fmt yuv420p "$film"

echo "== fast motion, 5 s at each speed"
XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
  "$bench_build/bin/duvara-fast-motion-bench" "$film" 5
