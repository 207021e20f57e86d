#!/usr/bin/env bash
# Runs a command on a screen of its own (Xvfb, 1920 x 1080) with a window manager (openbox), for
# tests of what only a desktop does: the window manager's answers to placing and maximising.
set -euo pipefail
work=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd picks a free display number and writes it once the server is up.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

openbox --startup "touch $work/wm-ready" >/dev/null 2>&1 &
wm_pid=$!
for _ in $(seq 1 100); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done
[ -e "$work/wm-ready" ] || { echo "openbox did not start" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
