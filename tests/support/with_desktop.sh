#!/bin/sh
# Runs a command on a desktop of its own: an Xvfb screen with the openbox window manager, for
# the tests that need real windows, window manager and all. The command's status is returned.
#   with_desktop.sh command [argument...]
set -eu

dir=$(mktemp -d)
xvfb=
wm=
cleanup() {
    if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Both tell that they are ready through a pipe, so nothing here waits longer than it must.
mkfifo "$dir/display" "$dir/wm"
# -displayfd picks a free display and writes its number once the server takes clients.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
read -r display <"$dir/display" || true
if [ -z "${display:-}" ]; then
    echo "with_desktop: Xvfb did not start" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb

# openbox runs its start-up command once it manages the screen.
HOME="$dir" openbox --startup "sh -c 'echo ready >$dir/wm'" >"$dir/wm.log" 2>&1 &
wm=$!
read -r _ <"$dir/wm"

status=0
"$@" || status=$?
exit "$status"
