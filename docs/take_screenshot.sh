#!/usr/bin/env bash
# Takes the README's screenshot: TrenoxVK under openbox on a private Xvfb, the whole window with
# its title bar, a few seconds after start.
# Usage: take_screenshot.sh PROGRAM OUTPUT.png
set -uo pipefail
program=$1
output=$2
source "$(dirname "$0")/../tests/faults/x_session.sh"

settle_seconds=3  # past frame 1 and into the run

start_x_server
start_window_manager
start_program "$program"
sleep "$settle_seconds"

# openbox's frame: the top-level window that holds the program's window.
root_id=$(xwininfo -root | awk '/Window id:/ {print $4}')
frame=$WINDOW
while parent=$(xwininfo -id "$frame" -children | awk '/Parent window id:/ {print $4}') &&
      [ -n "$parent" ] && [ "$((parent))" -ne "$((root_id))" ]; do
  frame=$parent
done
geometry=$(xwininfo -id "$frame" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
  /Width:/ {w = $2} /Height:/ {h = $2} END {printf "%dx%d+%d+%d", w, h, x, y}')
# No time stamps in the PNG, so a retake of the same picture gives the same bytes.
import -window root -crop "$geometry" +repage -strip -define png:exclude-chunks=date,time "$output" ||
  session_fail "import"
echo "$output: window frame $geometry"
