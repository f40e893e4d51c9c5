#!/usr/bin/env bash
# TrenoxVK ends with status 0, and does not spin on, when something outside takes its window,
# display or process away. Usage: fault_test.sh CASE TRENOXVK
#   windowclose   the window is destroyed from outside (xdotool windowclose)
#   wmclose       the window manager closes it (wmctrl -c, as a close box does)
#   xserver       the X server goes away
#   sigterm       SIGTERM
#   sigint        SIGINT (Ctrl+C in the terminal that started it)
set -uo pipefail
fault=$1
program=$2
source "$(dirname "$0")/x_session.sh"

# Time enough to end at the slowest pace, where events are read once a second.
readonly kSecondsToEnd=10

start_x_server
start_window_manager
start_program "$program"
# Let the start sequence fill the frame table and the loop take over.
sleep 2
is_running "$PROGRAM_PID" || session_fail "TrenoxVK ended before the fault"

case "$fault" in
  windowclose) xdotool windowclose "$WINDOW" ;;
  wmclose) wmctrl -i -c "$WINDOW" ;;
  xserver) kill "$XVFB_PID"; wait "$XVFB_PID" ;;
  sigterm) kill -TERM "$PROGRAM_PID" ;;
  sigint) kill -INT "$PROGRAM_PID" ;;
  *) session_fail "unknown fault '$fault'" ;;
esac

wait_for_program_exit "$kSecondsToEnd"
echo "$fault: TrenoxVK ended with status $EXIT_STATUS"
[ "$EXIT_STATUS" -eq 0 ] || session_fail "$fault: status $EXIT_STATUS, expected 0"
