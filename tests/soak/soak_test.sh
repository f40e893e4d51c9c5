#!/usr/bin/env bash
# Soak test: TrenoxVK under Xvfb and openbox takes a bounded flood of pointer moves, clicks and
# keys for SECONDS, is minimised and restored, covered and uncovered and outlives a window-manager
# restart, while its resident memory is sampled; then it must still answer "+" and end on ESC.
# Usage: soak_test.sh SECONDS TRENOXVK
set -uo pipefail
duration=$1
program=$2
source "$(dirname "$0")/../faults/x_session.sh"

readonly kSampleSeconds=5
readonly kSettleSeconds=60       # memory growth counts from here
readonly kAllowedGrowthKb=1024
readonly kFirstDisturbance=90    # then one every kDisturbanceSeconds: minimise, cover, WM restart
readonly kDisturbanceSeconds=60
readonly kSecondsToAnswer=10
readonly kMovesPerRound=20
readonly kKeysPerRound=6
readonly kClickEveryRounds=2     # rounds last over a second: clicks stay far outside the double-click time
# The seven command characters and some keys that must change nothing; never ESC.
readonly kCommandKeys=(minus plus comma slash asterisk space period)
readonly kOtherKeys=(a q x Return Tab BackSpace Up Down F1 1 equal)

RANDOM=20261208  # the same flood on every run
moves=0 clicks=0 command_keys=0 other_keys=0

start_x_server
start_window_manager
start_program "$program"
width=$(xwininfo -id "$WINDOW" | awk '/Width:/ {print $2}')
height=$(xwininfo -id "$WINDOW" | awk '/Height:/ {print $2}')

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$PROGRAM_PID/status" 2>/dev/null; }
is_iconic() { xprop -id "$WINDOW" WM_STATE | grep -q 'Iconic'; }
picture_is() { [ "$(window_checksum)" = "$1" ]; }
picture_differs_from() { [ "$(window_checksum)" != "$1" ]; }
picture_holds_still() {
  local before
  before=$(window_checksum)
  sleep 1
  picture_is "$before"
}
still_running() { is_running "$PROGRAM_PID" || session_fail "TrenoxVK ended during the soak (${1})"; }

# Stops the animation where it is: with the pointer outside, nothing but "." moves it, once.
freeze() {
  xdotool mousemove 0 0 sleep 0.3 key period
  sleep 1
  wait_until "$kSecondsToAnswer" picture_holds_still ||
    session_fail "the picture still changes after '.' (not stopped)"
}

# One round of the flood: pointer moves and keys spread over about a second, maybe a click.
flood_round() {
  local round=$1 args=() i
  for ((i = 0; i < kMovesPerRound; ++i)); do
    args+=(mousemove --window "$WINDOW" $((RANDOM % width)) $((RANDOM % height)) sleep 0.03)
    if ((i % (kMovesPerRound / kKeysPerRound) == 0 && i / (kMovesPerRound / kKeysPerRound) < kKeysPerRound)); then
      if ((RANDOM % 2)); then
        args+=(key "${kCommandKeys[RANDOM % ${#kCommandKeys[@]}]}")
        command_keys=$((command_keys + 1))
      else
        args+=(key "${kOtherKeys[RANDOM % ${#kOtherKeys[@]}]}")
        other_keys=$((other_keys + 1))
      fi
    fi
  done
  moves=$((moves + kMovesPerRound))
  if ((round % kClickEveryRounds == 0)); then
    args+=(click 1)
    clicks=$((clicks + 1))
  fi
  xdotool "${args[@]}" sleep 0.4 || session_fail "xdotool failed during the flood"
}

# Minimise and restore, cover and uncover, or restart openbox; the frame shown must come back.
disturb() {
  local kind=$1 shown covered
  freeze
  shown=$(window_checksum)
  case "$kind" in
    minimise)
      # openbox unmaps the frame before it sets WM_STATE, so --sync alone returns too early.
      xdotool windowminimize --sync "$WINDOW" 2>/dev/null || session_fail "cannot minimise"
      wait_until "$kSecondsToAnswer" is_iconic ||
        session_fail "openbox did not minimise the window ($(xprop -id "$WINDOW" WM_STATE | grep state))"
      ;;
    cover)
      display -geometry "$((width + 100))x$((height + 100))+0+0" -size "$((width + 100))x$((height + 100))" xc:gray40 &
      local cover_pid=$!
      wait_until "$kSecondsToAnswer" picture_differs_from "$shown"
      covered=$?
      kill "$cover_pid"; wait "$cover_pid" 2>/dev/null
      ((covered == 0)) || session_fail "the covering window did not cover the picture"
      ;;
    wmrestart)
      openbox --restart || session_fail "openbox --restart"
      sleep 1
      wait_until "$kSecondsToAnswer" wmctrl -m >/dev/null 2>&1 || session_fail "openbox did not come back"
      ;;
  esac
  # xdotool complains that there is no _NET_ACTIVE_WINDOW while the window is minimised; harmless.
  xdotool windowactivate --sync "$WINDOW" 2>/dev/null || session_fail "cannot activate the window after $kind"
  wait_until "$kSecondsToAnswer" picture_is "$shown" ||
    session_fail "after $kind the window does not show the frame it showed"
  still_running "$kind"
  echo "$(date +%T) $kind: still running, shows the same frame afterwards"
}

start=$SECONDS
rss_start=$(rss_kb) rss_settled="" rss_max_settled=0
next_sample=$start next_disturbance=$((start + kFirstDisturbance))
disturbances=(minimise cover wmrestart)
round=0 disturbance_count=0
declare -A pictures_seen  # checksums of the picture at the samples: the flood must keep it moving
echo "$(date +%T) soak of ${duration}s: TrenoxVK pid $PROGRAM_PID, window $WINDOW, ${width}x${height}, VmRSS ${rss_start} kB"
while ((SECONDS - start < duration)); do
  flood_round "$round"
  round=$((round + 1))
  if ((SECONDS >= next_sample)); then
    still_running "memory sample"
    rss=$(rss_kb)
    pictures_seen[$(window_checksum)]=1
    elapsed=$((SECONDS - start))
    if ((elapsed >= kSettleSeconds)); then
      [ -n "$rss_settled" ] || { rss_settled=$rss; echo "$(date +%T) after ${elapsed}s: VmRSS ${rss} kB"; }
      ((rss > rss_max_settled)) && rss_max_settled=$rss
      ((rss - rss_settled <= kAllowedGrowthKb)) ||
        session_fail "VmRSS grew from ${rss_settled} kB to ${rss} kB after the first minute"
    fi
    next_sample=$((SECONDS + kSampleSeconds))
  fi
  if ((SECONDS >= next_disturbance)); then
    disturb "${disturbances[disturbance_count % ${#disturbances[@]}]}"
    disturbance_count=$((disturbance_count + 1))
    next_disturbance=$((SECONDS + kDisturbanceSeconds))
  fi
done
rss_end=$(rss_kb)
((${#pictures_seen[@]} > 1)) || session_fail "the picture never changed under the flood"

# Still answering: stopped, it moves again on "+".
freeze
stopped=$(window_checksum)
xdotool key plus
wait_until "$kSecondsToAnswer" picture_differs_from "$stopped" ||
  session_fail "the picture did not change within ${kSecondsToAnswer}s of '+'"

xdotool key Escape
wait_for_program_exit "$kSecondsToAnswer"
[ "$EXIT_STATUS" -eq 0 ] || session_fail "ESC ended TrenoxVK with status $EXIT_STATUS"

echo "soak: $((SECONDS - start))s, $round rounds; events sent: $moves pointer moves, $clicks clicks," \
  "$command_keys command keys, $other_keys other keys, $disturbance_count disturbances;" \
  "${#pictures_seen[@]} different pictures at the samples"
echo "soak: VmRSS at start ${rss_start} kB, after one minute ${rss_settled:-n/a} kB," \
  "largest after that ${rss_max_settled} kB, at the end ${rss_end} kB"
echo "soak: '+' moved the picture, ESC ended TrenoxVK with status 0"
