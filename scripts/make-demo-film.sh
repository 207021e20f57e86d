#!/usr/bin/env bash
# Makes assets/demo/demo.mp4, the film that `make run` opens: 24 s of ffmpeg's moving test
# picture (640x360, 25 fps) with a quiet 440 Hz tone that beeps once a second. The film is
# committed; run this again only to change it. demo.srt and demo.sub beside it are timed to it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/assets/demo/demo.mp4}
seconds=24

ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc2=size=640x360:rate=25:duration=${seconds}" \
  -f lavfi -i "sine=frequency=440:beep_factor=2:sample_rate=48000:duration=${seconds}" \
  -filter:a "volume=0.3" \
  -c:v libx264 -preset slow -crf 30 -pix_fmt yuv420p -g 50 -threads 1 \
  -c:a aac -b:a 64k \
  -map_metadata -1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
  -movflags +faststart \
  "$out"

size=$(stat -c %s "$out")
echo "$out: $((size / 1024)) KiB"
if [ "$size" -ge $((2 * 1024 * 1024)) ]; then
  echo "the demo film must stay under 2 MB" >&2
  exit 1
fi
