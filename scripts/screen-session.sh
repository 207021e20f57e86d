# Sourced by the scripts that run the player on a screen of their own (bench-play.sh,
# soak-session.sh, soak-memory.sh, tests/shell/on_a_desktop.sh): their work folder, a screen and
# the clean-up at exit.
#   work          a new folder, removed at exit
#   player_pid    set while a player runs: it is stopped at exit
#   start_screen  starts Xvfb at 1920x1080 on a free display number and exports DISPLAY and an
#                 XDG_RUNTIME_DIR of the run's own, where the player keeps its hand-over socket
#   start_window_manager  starts openbox on that screen and waits until it is up
work=$(mktemp -d)
player_pid=
wm_pid=
xvfb_pid=

# Runs under set -e: no step may end it early, or the screen would outlive the run.
end_session() {
  if [ -n "${player_pid:-}" ]; then kill "$player_pid" 2>/dev/null || true; wait "$player_pid" 2>/dev/null || true; fi
  if [ -n "${wm_pid:-}" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap end_session EXIT

start_screen() {
  # -displayfd writes the display number it picked once the server is up.
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$work/display")"
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

start_window_manager() {
  openbox --startup "touch $work/wm-ready" >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 100); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done
  [ -e "$work/wm-ready" ] || { echo "openbox did not start" >&2; return 1; }
}
