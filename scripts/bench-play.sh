#!/usr/bin/env bash
# Measures playback against the mpv command with its software X11 output, in the same run and
# under the same Xvfb screen: CPU seconds per second of playback, launch to first frame, peak
# memory and dropped frames; then probing 100 files for the playlist against ffprobe.
#
# Both first frames are counted from the moment the program is started. mpv's log counts from
# its own start, after its libraries are loaded (100-200 ms here, much the same libraries as
# ours); that number is shown too.
#   scripts/bench-play.sh BUILD_DIR BENCH_BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
bench_build=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'kill "${xvfb_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

seconds=10
film="$work/film-1080p.mp4"
echo "== making a ${seconds} s 1080p H.264 film"
ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:duration=$seconds" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$film"

display=:93
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
ticks=$(getconf CLK_TCK)

now_ms() { date +%s%3N; }

# The player: started on the film, measured from /proc until it reports the end of playback.
echo "== Duvara (software output)"
log="$work/duvara.log"
start=$(now_ms)
QT_LOGGING_RULES="duvara.*.info=true" "$build/bin/duvara" "$film" >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 $(( (seconds + 30) * 10 ))); do
  grep -q "playback complete" "$log" && break
  sleep 0.1
done
read -r -a stat < <(cut -d')' -f2 "/proc/$pid/stat")
cpu_ticks=$(( stat[11] + stat[12] ))
peak_kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
kill "$pid"; wait "$pid" 2>/dev/null || true
first_at=$(sed -n 's/.*first frame shown at \([0-9]*\) ms.*/\1/p' "$log" | head -1)
size=$(sed -n 's/.*video window \([0-9]*x[0-9]*\).*/\1/p' "$log" | head -1)
ours_drops=$(sed -n 's/.*playback complete: .* \([0-9]*\) dropped.*/\1/p' "$log")
ours_cpu=$(echo "scale=3; $cpu_ticks / $ticks / $seconds" | bc)
ours_first=$(( first_at - start ))
ours_peak=$(( peak_kb / 1024 ))
echo "window $size: $ours_cpu CPU-s per s, first frame after $ours_first ms, peak $ours_peak MB, dropped $ours_drops"

echo "== mpv --vo=x11, window $size"
mpv_log="$work/mpv.log"
mpv_start=$(now_ms)
status=$( { /usr/bin/time -f "TIME %U %S %M" mpv --no-config --vo=x11 --geometry="$size" \
  --log-file="$mpv_log" --term-status-msg='DROP ${frame-drop-count}' "$film" 2>&1 || true; } | tr '\r' '\n')
read -r _ user sys mpv_kb < <(grep '^TIME' <<<"$status")
mpv_drops=$(grep -o 'DROP [0-9]*' <<<"$status" | tail -1 | cut -d' ' -f2)
mpv_cpu=$(echo "scale=3; ($user + $sys) / $seconds" | bc)
mpv_first=$(sed -n 's/^\[ *\([0-9.]*\)\].*first video frame after restart shown.*/\1/p' "$mpv_log" | head -1)
mpv_first=$(echo "$mpv_first * 1000 / 1" | bc)
# mpv's own clock in wall-clock time: the log file is made when mpv prints its banner the
# second time, and the file system keeps the moment it was made.
log_opened=$( { grep -m2 '\]\[cplayer\] mpv [0-9]' "$mpv_log" || true; } | tail -1 \
  | sed -n 's/^\[ *\([0-9.]*\)\].*/\1/p')
log_made=$(stat -c '%.3W' "$mpv_log" 2>/dev/null | tr -d . || true)
if [[ "$log_made" =~ ^[0-9]+$ ]] && (( log_made > 0 )) && [ -n "$log_opened" ]; then
  mpv_launch=$(( log_made - mpv_start - $(echo "$log_opened * 1000 / 1" | bc) + mpv_first ))
else
  mpv_launch=""   # no birth times on this file system
fi
mpv_peak=$(( mpv_kb / 1024 ))
echo "$mpv_cpu CPU-s per s, first frame after ${mpv_launch:-?} ms (after $mpv_first ms on its own clock), peak $mpv_peak MB, dropped $mpv_drops"

echo "== ratios (Duvara / mpv; goals: CPU <= 1.15, first frame <= 1.2, memory <= 1.3)"
echo "CPU          $(echo "scale=2; $ours_cpu / $mpv_cpu" | bc)"
if [ -n "$mpv_launch" ]; then
  echo "first frame  $(echo "scale=2; $ours_first / $mpv_launch" | bc)"
fi
echo "first frame  $(echo "scale=2; $ours_first / $mpv_first" | bc) against mpv's own clock"
echo "peak memory  $(echo "scale=2; $ours_peak / $mpv_peak" | bc)"

echo "== probing 100 files (goal: at least 20 x faster than ffprobe on each)"
mkdir -p "$work/probe"
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=320x240:rate=25:duration=2 \
  -f lavfi -i sine=duration=2 -c:v libx264 -preset ultrafast -c:a aac -shortest "$work/probe/0.mp4"
for i in $(seq 1 99); do cp "$work/probe/0.mp4" "$work/probe/$i.mp4"; done
"$bench_build/bin/duvara-probe-bench" "$work"/probe/*.mp4 | tee "$work/probe.txt"
ours_probe=$(sed -n 's/.* in \([0-9.]*\) ms.*/\1/p' "$work/probe.txt")
probe_start=$(now_ms)
for f in "$work"/probe/*.mp4; do
  ffprobe -v error -show_entries format=duration -of csv=p=0 "$f" >/dev/null
done
ffprobe_ms=$(( $(now_ms) - probe_start ))
echo "ffprobe: $ffprobe_ms ms for 100 files; ratio $(echo "scale=1; $ffprobe_ms / $ours_probe" | bc) x"
