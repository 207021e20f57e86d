#!/usr/bin/env bash
# Runs a command on a screen of its own (Xvfb, 1920 x 1080) with a window manager (openbox), for
# tests of what only a desktop does: the window manager's answers to placing and maximising.
set -euo pipefail
# shellcheck source=scripts/screen-session.sh
source "$(dirname "$0")/../../scripts/screen-session.sh"
start_screen
start_window_manager

export QT_QPA_PLATFORM=xcb
"$@"
