#!/usr/bin/env bash
# Wayland start-up read from the compositor's own protocol log (WAYLAND_DEBUG=server): from the
# exec to the commit that carries frame 1, and the peak resident memory (VmHWM) once it is shown.
# TrenoxVK beside the minimal wl_shm client and the minimal libdecor client, interleaved, in one
# sway (headless, pixman; it draws the title bars) and one weston (on Xvfb, pixman; it draws none).
# TrenoxVK's frame 1 is its second buffer (the first is the background it maps with); the
# clients' is their first. Usage: bench/wayland_startup.sh [build directory, default build/] [starts]
set -euo pipefail
export LC_ALL=C

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$source_dir/build}")
starts=${2:-10}
user=trenoxe2e  # sway refuses root: the e2e suite's user runs it
programs=(TrenoxVK minimal_wl_shm minimal_libdecor)
declare -A command=([TrenoxVK]=$build/TrenoxVK [minimal_wl_shm]=$build/bench/trenox_minimal_wayland
  [minimal_libdecor]=$build/bench/trenox_minimal_libdecor)
declare -A frame_buffer=([TrenoxVK]=2 [minimal_wl_shm]=1 [minimal_libdecor]=1)

for tool in sway weston Xvfb setpriv; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing; scripts/deps.sh test installs it" >&2; exit 1; }
done
cmake --build "$build" --parallel 2 --target TrenoxVK trenox_minimal_wayland trenox_minimal_libdecor >/dev/null

work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
[ -n "${KEEP_BENCH_LOGS:-}" ] && trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; echo "logs in $work" >&2' EXIT

# libwayland's log stamps: CLOCK_REALTIME in microseconds wrapped at 32 bits, printed as milliseconds.
now_us() { echo $(( $(date +%s%6N) % 4294967296 )); }

# One start of $1 against the compositor whose log is $2: prints "<ms> <MB>".
start_once() {
  local name=$1 log=$2 from at pid stamp hwm
  from=$(stat -c %s "$log")
  at=$(now_us)
  "${command[$name]}" >/dev/null 2>&1 &
  pid=$!
  stamp=""
  for _ in $(seq 500); do
    # The commits after an attach, in this start's part of the log: the nth is frame n's.
    stamp=$(tail -c +"$((from + 1))" "$log" | awk -v n="${frame_buffer[$name]}" '
      /wl_surface@[0-9]+\.attach\(wl_buffer/ { attached = 1 }
      attached && /wl_surface@[0-9]+\.commit\(\)/ { attached = 0; if (++seen == n) { match($0, /[0-9]+\.[0-9]+/); print substr($0, RSTART, RLENGTH); exit } }' || true)
    [ -n "$stamp" ] && break
    sleep 0.01
  done
  sleep 0.3  # what it does once frame 1 is out counts towards its peak too
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$stamp" ] || { echo "$0: $name showed no frame 1" >&2; return; }
  awk -v s="$stamp" -v a="$at" -v k="$hwm" 'BEGIN { d = s - a / 1000; if (d < 0) d += 4294967.296; printf "%.1f %.1f\n", d, k / 1024 }'
  sleep 0.2
}

measure_in() {  # $1: compositor name, $2: its log
  for _ in $(seq "$starts"); do
    for name in "${programs[@]}"; do start_once "$name" "$2" >>"$work/$1-$name"; done
  done
}

# sway, as in the e2e suite.
id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
runtime=$work/sway-runtime
mkdir -m 700 "$runtime" && chown "$user:" "$runtime"
printf 'output * mode 1280x800\ndefault_border normal\n' >"$work/sway.config"
chmod 644 "$work/sway.config"
setpriv --reuid="$user" --regid="$user" --init-groups env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$runtime" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WAYLAND_DEBUG=server \
  sway -c "$work/sway.config" 2>"$work/sway.log" &
pids+=($!)
for _ in $(seq 200); do compgen -G "$runtime/wayland-?" >/dev/null && break; sleep 0.05; done
sleep 1
echo "load average before sway: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
(export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY; WAYLAND_DISPLAY=$(cd "$runtime" && ls -d wayland-? | head -n1 || true)
 measure_in sway "$work/sway.log")
kill "${pids[0]}"

# weston on its X11 backend in an Xvfb of its own (a keyboard, so that windows are activated).
Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
runtime=$work/weston-runtime
mkdir -m 700 "$runtime"
printf '[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n' >"$work/weston.ini"
DISPLAY=:97 XDG_RUNTIME_DIR=$runtime WAYLAND_DEBUG=server weston --backend=x11-backend.so --use-pixman \
  --config="$work/weston.ini" --socket=bench-weston --width=1200 --height=900 2>"$work/weston.log" &
pids+=($!)
for _ in $(seq 200); do [ -S "$runtime/bench-weston" ] && break; sleep 0.05; done
sleep 2
echo "load average before weston: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
(export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=bench-weston; measure_in weston "$work/weston.log")
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

median() {  # column $2 of file $1
  cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
printf '%-8s %-18s %6s %12s %10s\n' compositor program starts "frame 1 ms" "peak MB"
for compositor in sway weston; do
  for name in "${programs[@]}"; do
    file=$work/$compositor-$name
    [ -s "$file" ] || { printf '%-8s %-18s %6s\n' "$compositor" "$name" 0; continue; }
    printf '%-8s %-18s %6s %12s %10s\n' "$compositor" "$name" "$(wc -l <"$file")" "$(median "$file" 1)" "$(median "$file" 2)"
  done
done
