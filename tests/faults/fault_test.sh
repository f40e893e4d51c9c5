#!/usr/bin/env bash
# TrenoxVK ends with status 0, and does not spin on, when something outside takes its window,
# display or process away. Usage: fault_test.sh CASE TRENOXVK
#   windowclose   the window is destroyed from outside (xdotool windowclose)
#   wmclose       the window manager closes it (wmctrl -c, as a close box does)
#   xserver       the X server goes away
#   sigterm       SIGTERM
#   sigint        SIGINT (Ctrl+C in the terminal that started it)
#   sighup        SIGHUP (the terminal that started it went away)
#   sigint_ignored  SIGINT ignored when it started (a background job of a script): it runs on,
#                 and SIGTERM ends it
# The signals end it at once, even at the starting pace, when events are read once a second: each
# is timed from the signal to the end of the process.
set -uo pipefail
fault=$1
program=$2
source "$(dirname "$0")/x_session.sh"

# Time enough to end at the slowest pace, where events are read once a second.
readonly kSecondsToEnd=10
# Longest time from a signal to the end of the process; it should take a few milliseconds.
readonly kMostMsAfterSignal=100

# Sends SIGNAL and waits for the program's end, timing it; sets EXIT_STATUS.
end_by_signal() {
  # Stops a program that does not end, so that the wait below cannot hang.
  (sleep "$kSecondsToEnd"; kill -KILL "$PROGRAM_PID") >/dev/null 2>&1 &
  local watchdog=$! sent=$EPOCHREALTIME ended
  kill "-$1" "$PROGRAM_PID"
  wait "$PROGRAM_PID"
  EXIT_STATUS=$?
  ended=$EPOCHREALTIME
  kill "$watchdog" 2>/dev/null
  local us=$(((${ended/./} - ${sent/./})))
  printf 'SIG%s: TrenoxVK ended %d.%03d ms after the signal\n' "$1" $((us / 1000)) $((us % 1000))
  ((us <= kMostMsAfterSignal * 1000)) || session_fail "SIG$1: took over $kMostMsAfterSignal ms to end"
}

picture_changed_from() { [ "$(window_checksum)" != "$1" ]; }

start_x_server
start_window_manager
if [ "$fault" = sigint_ignored ]; then
  start_program env --ignore-signal=INT "$program"
else
  start_program "$program"
fi
# Let the start sequence fill the frame table and the loop take over.
sleep 2
is_running "$PROGRAM_PID" || session_fail "TrenoxVK ended before the fault"

case "$fault" in
  windowclose) xdotool windowclose "$WINDOW" ;;
  wmclose) wmctrl -i -c "$WINDOW" ;;
  xserver) kill "$XVFB_PID"; wait "$XVFB_PID" ;;
  sigterm) end_by_signal TERM ;;
  sigint) end_by_signal INT ;;
  sighup) end_by_signal HUP ;;
  sigint_ignored)
    shown=$(window_checksum)
    kill -INT "$PROGRAM_PID"
    # Still running its loop: the next frame of the run (a second away) comes.
    wait_until "$kSecondsToEnd" picture_changed_from "$shown" || session_fail "the picture stopped after SIGINT"
    is_running "$PROGRAM_PID" || session_fail "an ignored SIGINT ended TrenoxVK"
    echo "SIGINT ignored at start: TrenoxVK still runs"
    end_by_signal TERM
    ;;
  *) session_fail "unknown fault '$fault'" ;;
esac

[[ "$fault" == sig* ]] || wait_for_program_exit "$kSecondsToEnd"
echo "$fault: TrenoxVK ended with status $EXIT_STATUS"
[ "$EXIT_STATUS" -eq 0 ] || session_fail "$fault: status $EXIT_STATUS, expected 0"
