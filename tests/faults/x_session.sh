# Shell helpers for tests that run TrenoxVK on a private Xvfb server: start and stop the server,
# the window manager and the program, find its window, wait for it to end. Sourced by bash tests.

SESSION_PIDS=()  # everything started here, stopped again on exit
PROGRAM_PID=""
WINDOW=""

session_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

session_cleanup() {
  local pid
  for pid in "${SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${SESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  SESSION_PIDS=()
}
trap session_cleanup EXIT

# Runs COMMAND... every tenth of a second until it succeeds or SECONDS pass; false if it never did.
# The window manager and the X server answer late on a busy machine: poll, never sleep and hope.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Starts Xvfb on the first free display from 80 to 99 and points DISPLAY at it.
start_x_server() {
  local n
  for n in $(seq 80 99); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local tries
    for tries in $(seq 50); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      if xdpyinfo >/dev/null 2>&1; then
        SESSION_PIDS+=("$XVFB_PID")
        return 0
      fi
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null
  done
  session_fail "no free X display from :80 to :99"
}

# Shows a probe window (xmessage) for up to a second; true if the window manager mapped it.
window_manager_maps_probe() {
  xmessage -name trenox_wm_probe -timeout 2 probe >/dev/null 2>&1 &
  local probe=$! shown=1
  timeout 1 xdotool search --sync --onlyvisible --classname trenox_wm_probe >/dev/null 2>&1 && shown=0
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null
  return $shown
}

# Starts openbox and waits until it manages the screen. It announces itself before it reads its
# events, and a window mapped in between may never show: so it must first map a probe window.
start_window_manager() {
  openbox --sm-disable >/dev/null 2>&1 &
  SESSION_PIDS+=("$!")
  wait_until 10 wmctrl -m >/dev/null 2>&1 || session_fail "openbox did not start"
  wait_until 10 window_manager_maps_probe || session_fail "openbox maps no window"
}

# Starts the program with SIGINT, SIGTERM and SIGHUP at their defaults (a background job of a
# script would otherwise ignore SIGINT) and waits for its window to show.
start_program() {
  env --default-signal=INT,TERM,HUP "$@" &
  PROGRAM_PID=$!
  SESSION_PIDS+=("$PROGRAM_PID")
  WINDOW=$(timeout 20 xdotool search --sync --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null | head -n 1)
  [ -n "$WINDOW" ] || session_fail "no window from $*"
}

# True while the process runs (a zombie has ended and only waits to be collected).
is_running() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ "$state" != Z ]
}

program_ended() { ! is_running "$PROGRAM_PID"; }

# Waits up to SECONDS for the program to end and sets EXIT_STATUS; fails if it is still running.
wait_for_program_exit() {
  wait_until "$1" program_ended || session_fail "TrenoxVK still runs ${1}s later"
  wait "$PROGRAM_PID"
  EXIT_STATUS=$?
}

# The window's picture as a checksum of its pixels.
window_checksum() {
  import -window "$WINDOW" rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}
