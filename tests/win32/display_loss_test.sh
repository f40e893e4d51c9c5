#!/usr/bin/env bash
# TrenoxVK.exe under Wine must end, not spin on, when its X display goes away. Wine itself ends
# the process (with status 1) when it loses the X connection: the program never sees X, so the
# status is Wine's, not the program's quit action. Usage: display_loss_test.sh <wine> <TrenoxVK.exe>
set -euo pipefail
wine=$1
exe=$2
readonly window_timeout=60   # seconds for Wine to bring the window up on a loaded machine
readonly exit_timeout=10     # seconds the program may take to notice the display is gone

# A display number of our own: the first free one from 60 on.
number=60
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb ${program:-} 2>/dev/null || true' EXIT
export DISPLAY=":$number"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
"$wine" "$exe" >/dev/null 2>&1 &
program=$!

for _ in $(seq $((window_timeout * 10))); do
  xdotool search --name "Trenox VK" >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --name "Trenox VK" >/dev/null 2>&1 || { echo "FAILED: the window never came up"; exit 1; }

kill $xvfb
for _ in $(seq $((exit_timeout * 10))); do
  if ! kill -0 $program 2>/dev/null; then
    status=0
    wait $program || status=$?
    echo "the program ended with status $status once its display was gone"
    exit 0
  fi
  sleep 0.1
done
echo "FAILED: the program still runs ${exit_timeout} s after its display went away"
exit 1
