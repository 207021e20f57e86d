#!/usr/bin/env bash
# Measures playback against the mpv command in the same run and under the same Xvfb screen:
# CPU seconds per second of film, peak memory and dropped frames, for Duvara's software output
# in its default window and in fullscreen, against `mpv --vo=null` (decoding alone) and
# `mpv --vo=x11` showing the same picture size and the full screen. The players take turns,
# round after round, so that the load of a shared machine falls on all of them alike; the
# table gives each one's median and, beside it, the ratio to decoding alone in the same round.
# Playback is counted from each player's first frame to its end, the same way for every player;
# what each spent starting up, up to its first frame, has a column of its own.
# Then the first frame from launch, and probing 100 files for the playlist against ffprobe.
#
# VLC (`cvlc --vout=xcb_x11`) takes its turn too where it is installed, as an unprivileged user
# when this runs as root (VLC refuses root); its dropped frames are the pictures it logs as too
# late. Every run's line carries the load average at its start: CPU seconds hold up on a shared
# machine far better than wall time, but not entirely.
#
# Both first frames are counted from the moment the program is started. mpv's log counts from
# its own start, after its libraries are loaded (100-200 ms here, much the same libraries as
# ours); that number is shown too.
#   scripts/bench-play.sh PLAYER_BUILD_DIR BENCH_BUILD_DIR
# BENCH_SECONDS (20) is the film's length, BENCH_ROUNDS (3) the number of turns.
set -euo pipefail

build=$(cd "$1" && pwd)
bench_build=$(cd "$2" && pwd)
seconds=${BENCH_SECONDS:-20}
rounds=${BENCH_ROUNDS:-3}
# shellcheck source=scripts/screen-session.sh
source "$(dirname "$0")/screen-session.sh"

film="$work/film-1080p.mp4"
echo "== making a ${seconds} s 1080p30 H.264 + AAC film"
ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:duration=$seconds" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$film"

start_screen
ticks=$(getconf CLK_TCK)
echo "machine: $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg) before the first round"

now_ms() { date +%s%3N; }
load_now() { cut -d' ' -f1 /proc/loadavg; }
cpu_ticks() { local stat; read -r -a stat < <(cut -d')' -f2 "/proc/$1/stat"); echo $(( stat[11] + stat[12] )); }
per_second() { echo "scale=4; $1 / $ticks / $2" | bc; }
seconds_of() { echo "scale=3; $1 / $ticks" | bc; }

# The CPU ticks process PID has used by the time LOG first shows PATTERN: its start-up, up to
# the first frame. 0 when the process ends or the line never comes.
ticks_at_line() {
  local pid=$1 log=$2 pattern=$3
  for _ in $(seq 1 $(( (seconds + 30) * 20 ))); do
    grep -q -- "$pattern" "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  cpu_ticks "$pid" 2>/dev/null || echo 0
}
# The newest process called NAME, once it has started.
newest_process() {
  local pid
  for _ in $(seq 1 100); do
    pid=$(pgrep -n -x "$1" || true)
    [ -n "$pid" ] && { echo "$pid"; return; }
    sleep 0.02
  done
}

# Results, one line per run: "name cpu_per_s peak_mb dropped load start_cpu_s".
results="$work/results"
: >"$results"

# The player on the film, measured from /proc from its first frame until it reports the end of
# playback. With "fullscreen" it is double-clicked into fullscreen at its first frame, and
# measured from then.
run_duvara() {
  local name=$1 mode=$2 log="$work/duvara.log" start first_at begin_ticks start_ticks begin_ms end_ms load
  load=$(load_now)
  start=$(now_ms)
  QT_LOGGING_RULES="duvara.*.info=true" "$build/bin/duvara" "$film" >"$log" 2>&1 &
  player_pid=$!
  start_ticks=$(ticks_at_line "$player_pid" "$log" "first frame shown")
  begin_ticks=$start_ticks
  begin_ms=$start
  if [ "$mode" = fullscreen ]; then
    # The video window fills the main window's top left corner, wherever the window was placed.
    local window X Y
    window=$(xdotool search --name '^Duvara' | head -1)
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^[XY]=')"
    xdotool mousemove $(( X + 100 )) $(( Y + 100 )) click --repeat 2 --delay 80 1
    for _ in $(seq 1 50); do
      xwininfo -root -tree | grep -q '("duvara" .*1920x1080+0+0' && break
      sleep 0.1
    done
    begin_ticks=$(cpu_ticks "$player_pid")
    begin_ms=$(now_ms)
  fi
  for _ in $(seq 1 $(( (seconds + 30) * 10 ))); do
    grep -q "playback complete" "$log" && break
    sleep 0.1
  done
  end_ms=$(now_ms)
  local used=$(( $(cpu_ticks "$player_pid") - begin_ticks ))
  local peak_kb
  peak_kb=$(awk '/VmHWM/ {print $2}' "/proc/$player_pid/status")
  kill "$player_pid"; wait "$player_pid" 2>/dev/null || true
  player_pid=
  local drops played undrawn
  drops=$(sed -n 's/.*playback complete: .* \([0-9]*\) dropped.*/\1/p' "$log")
  # Frames the output took from the core without drawing them (a GUI thread far too late).
  undrawn=$(sed -n 's/.*playback complete: .* \([0-9]*\) taken undrawn.*/\1/p' "$log")
  echo "${undrawn:-0}" >>"$work/$name-undrawn"
  # Fullscreen is measured over the part played after the switch.
  if [ "$mode" = fullscreen ]; then
    played=$(echo "scale=3; ($end_ms - $begin_ms) / 1000" | bc)
  else
    played=$seconds
  fi
  echo "$name $(per_second "$used" "$played") $(( peak_kb / 1024 )) ${drops:-?} $load $(seconds_of "$start_ticks")" \
    >>"$results"
  first_at=$(sed -n 's/.*first frame shown at \([0-9]*\) ms.*/\1/p' "$log" | head -1)
  [ "$mode" = window ] && echo "$(( first_at - start ))" >>"$work/duvara-first"
  if [ "$mode" = window ] && [ ! -s "$work/picture" ]; then
    # The picture's size inside the video window, letter-boxed as the player shows it.
    sed -n 's/.*video window \([0-9]*\)x\([0-9]*\).*/\1 \2/p' "$log" | head -1 \
      | awk '{ w = $1; h = int(w * 1080 / 1920 + 0.5); if (h > $2) { h = $2; w = int(h * 1920 / 1080 + 0.5) }
               printf "%dx%d\n", w, h }' >"$work/picture"
  fi
}

run_mpv() {
  local name=$1; shift
  local status user sys kb drops mpv_log="$work/mpv.log" mpv_start load time_pid start_ticks
  load=$(load_now)
  mpv_start=$(now_ms)
  /usr/bin/time -f "TIME %U %S %M" -o "$work/time" mpv --no-config "$@" --log-file="$mpv_log" \
    --term-status-msg='DROP ${frame-drop-count}' "$film" >"$work/mpv.out" 2>&1 &
  time_pid=$!
  start_ticks=$(ticks_at_line "$(newest_process mpv)" "$mpv_log" "first video frame after restart shown")
  wait "$time_pid" || true
  status=$(tr '\r' '\n' <"$work/mpv.out")
  read -r _ user sys kb < <(grep '^TIME' "$work/time")
  drops=$(grep -o 'DROP [0-9]*' <<<"$status" | tail -1 | cut -d' ' -f2)
  echo "$name $(echo "scale=4; (($user + $sys) * $ticks - $start_ticks) / $ticks / $seconds" | bc) \
$(( kb / 1024 )) ${drops:-?} $load $(seconds_of "$start_ticks")" >>"$results"
  if [ "$name" = mpv-x11-window ]; then
    local first opened made
    first=$(sed -n 's/^\[ *\([0-9.]*\)\].*first video frame after restart shown.*/\1/p' "$mpv_log" | head -1)
    first=$(echo "${first:-0} * 1000 / 1" | bc)
    echo "$first" >>"$work/mpv-first-own"
    # mpv's own clock in wall-clock time: the log file is made when mpv prints its banner the
    # second time, and the file system keeps the moment it was made.
    opened=$( { grep -m2 '\]\[cplayer\] mpv [0-9]' "$mpv_log" || true; } | tail -1 \
      | sed -n 's/^\[ *\([0-9.]*\)\].*/\1/p')
    made=$(stat -c '%.3W' "$mpv_log" 2>/dev/null | tr -d . || true)
    if [[ "$made" =~ ^[0-9]+$ ]] && (( made > 0 )) && [ -n "$opened" ]; then
      echo $(( made - mpv_start - $(echo "$opened * 1000 / 1" | bc) + first )) >>"$work/mpv-first"
    fi
  fi
  rm -f "$mpv_log"
}

# VLC refuses to run as root: it runs as nobody then, with a home of its own.
vlc_as=()
if command -v cvlc >/dev/null; then
  mkdir -p "$work/vlc-home"
  if [ "$(id -u)" = 0 ]; then
    chown nobody "$work/vlc-home"
    chmod 755 "$work"
    vlc_as=(runuser -u nobody -- env HOME="$work/vlc-home")
  else
    vlc_as=(env)
  fi
fi
run_vlc() {
  local name=$1; shift
  local user sys kb drops load time_pid start_ticks vlc_log="$work/vlc-home/vlc.log"
  load=$(load_now)
  "${vlc_as[@]}" /usr/bin/time -f "TIME %U %S %M" -o "$work/vlc-home/time" cvlc -vv --no-audio \
    --vout=xcb_x11 --play-and-exit "$@" "$film" >"$vlc_log" 2>&1 &
  time_pid=$!
  start_ticks=$(ticks_at_line "$(newest_process vlc)" "$vlc_log" "Received first picture")
  wait "$time_pid" || true
  read -r _ user sys kb < <(grep '^TIME' "$work/vlc-home/time")
  drops=$(grep -ci 'too late to be displayed' "$vlc_log" || true)
  echo "$name $(echo "scale=4; (($user + $sys) * $ticks - $start_ticks) / $ticks / $seconds" | bc) \
$(( kb / 1024 )) ${drops:-?} $load $(seconds_of "$start_ticks")" >>"$results"
}

for round in $(seq 1 "$rounds"); do
  echo "== round $round of $rounds (load $(cut -d' ' -f1 /proc/loadavg))"
  run_mpv mpv-null --vo=null
  run_duvara duvara-window window
  picture_size=$(cat "$work/picture")
  run_mpv mpv-x11-window --vo=x11 --geometry="$picture_size"
  run_duvara duvara-fullscreen fullscreen
  run_mpv mpv-x11-fullscreen --vo=x11 --fs
  runs=5
  if [ ${#vlc_as[@]} -gt 0 ]; then
    run_vlc vlc-window --width="${picture_size%x*}" --height="${picture_size#*x}"
    run_vlc vlc-fullscreen --fullscreen
    runs=7
  fi
  tail -"$runs" "$results" | sed 's/^/   /'
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_of() { awk -v n="$1" -v c="$2" '$1 == n { print $c }' "$results"; }
# Each run against decoding alone in its own round.
ratio_of() {
  paste <(column_of "$1" 2) <(column_of mpv-null 2) | awk '{ printf "%.3f\n", $1 / $2 }' | median
}

picture=$(cat "$work/picture")
echo "== playback, medians of $rounds rounds (1080p30 film, picture $picture in the default window)"
printf '%-32s %10s %10s %12s %8s %12s %10s\n' "" "CPU-s/s" "x decode" "peak MB" "dropped" "load" \
  "start CPU-s"
names="mpv-null duvara-window mpv-x11-window duvara-fullscreen mpv-x11-fullscreen"
[ ${#vlc_as[@]} -gt 0 ] && names="$names vlc-window vlc-fullscreen"
for name in $names; do
  case $name in
    mpv-null) label="mpv --vo=null (decoding alone)" ;;
    duvara-window) label="Duvara, default window" ;;
    mpv-x11-window) label="mpv --vo=x11, $picture" ;;
    duvara-fullscreen) label="Duvara, fullscreen 1920x1080" ;;
    mpv-x11-fullscreen) label="mpv --vo=x11 --fs 1920x1080" ;;
    vlc-window) label="cvlc --vout=xcb_x11, $picture" ;;
    vlc-fullscreen) label="cvlc --vout=xcb_x11 --fullscreen" ;;
  esac
  printf '%-32s %10s %10s %12s %8s %12s %10s\n' "$label" "$(column_of "$name" 2 | median)" \
    "$(ratio_of "$name")" "$(column_of "$name" 3 | sort -n | tail -1)" \
    "$(column_of "$name" 4 | paste -sd+ | bc)" "$(column_of "$name" 5 | sort -n | sed -n '1p;$p' | paste -sd-)" \
    "$(column_of "$name" 6 | median)"
done
echo "(CPU-s/s: from the first frame to the end; peak: the highest of the rounds; dropped: the sum"
echo " over the rounds; load: the lowest and highest load average at the start of a run; start"
echo " CPU-s: the CPU used before the first frame. Fullscreen runs of Duvara count from the switch.)"
echo "Duvara's frames taken undrawn, summed over the rounds: $(paste -sd+ "$work/duvara-window-undrawn" | bc)" \
  "in the window, $(paste -sd+ "$work/duvara-fullscreen-undrawn" | bc) in fullscreen"
if [ ${#vlc_as[@]} -eq 0 ]; then
  echo "(VLC is not installed: not measured)"
fi
paste_ratio() { paste <(column_of "$1" 2) <(column_of "$2" 2) | awk '{ printf "%.3f\n", $1 / $2 }' | median; }
echo "== ratios (goals: Duvara <= mpv --vo=x11 at the same size, <= 1.25 x decoding alone)"
echo "default window: $(paste_ratio duvara-window mpv-x11-window) x mpv --vo=x11, $(ratio_of duvara-window) x decoding alone"
echo "fullscreen:     $(paste_ratio duvara-fullscreen mpv-x11-fullscreen) x mpv --vo=x11, $(ratio_of duvara-fullscreen) x decoding alone"
peak_ratio() { echo "scale=2; $(column_of "$1" 3 | sort -n | tail -1) / $(column_of "$2" 3 | sort -n | tail -1)" | bc; }
echo "peak memory:    $(peak_ratio duvara-window mpv-x11-window) x mpv --vo=x11 in the window," \
  "$(peak_ratio duvara-fullscreen mpv-x11-fullscreen) x in fullscreen"

echo "== first frame from launch, medians (goal: at or below mpv's)"
ours_first=$(median <"$work/duvara-first")
mpv_first_own=$(median <"$work/mpv-first-own")
if [ -s "$work/mpv-first" ]; then
  echo "Duvara $ours_first ms, mpv $(median <"$work/mpv-first") ms (mpv's own clock: $mpv_first_own ms)"
else
  echo "Duvara $ours_first ms, mpv $mpv_first_own ms on its own clock (no birth times on this file system)"
fi

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
