#!/usr/bin/env bash
# TrenoxVK.exe under Wine must end, not spin on, when its X display goes away. Wine itself ends
# the process (with status 1) when it loses the X connection: the program never sees X, so the
# status is Wine's, not the program's quit action. Usage: display_loss_test.sh <wine> <TrenoxVK.exe>
set -uo pipefail
wine=$1
exe=$2
source "$(dirname "$0")/../faults/x_session.sh"

readonly kSecondsForWindow=60  # Wine brings its window up slowly on a loaded machine
readonly kSecondsToEnd=10

start_x_server
# Wine's window belongs to another process than the one started here: find it by its caption.
"$wine" "$exe" >/dev/null 2>&1 &
PROGRAM_PID=$!
SESSION_PIDS+=("$PROGRAM_PID")
timeout "$kSecondsForWindow" xdotool search --sync --name "Trenox VK" >/dev/null 2>&1 ||
  session_fail "the window never came up"

kill "$XVFB_PID"
wait "$XVFB_PID"
wait_for_program_exit "$kSecondsToEnd"
echo "the program ended with status $EXIT_STATUS once its display was gone"
