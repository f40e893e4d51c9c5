#!/usr/bin/env bash
# Start-up of TrenoxVK beside two anchors in one run, with the project's start-up benchmark: gifview
# playing the same eighteen frames, and a minimal Xlib program that only shows frame 1; then, in one
# weston, TrenoxVK's Wayland session beside a minimal wl_shm client that only shows frame 1.
# Usage: bench/compare_startup.sh [build directory, default build/]
set -euo pipefail
export LC_ALL=C

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$source_dir/build}")
rounds=2
starts=9              # per program and round
gif_delay=100         # hundredths of a second per frame: the program's starting pace of about one a second
client_area=799x598   # kClientWidth x kClientHeight of input/picture_area.h: the part of each frame on screen
programs=(TrenoxVK gifview minimal)

for tool in Xvfb xdotool gifview convert compare weston; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing; scripts/deps.sh test installs it" >&2; exit 1; }
done

declare -A label=([TrenoxVK]=TrenoxVK [gifview]="gifview $(gifview --version | head -n1 | awk '{print $NF}')"
  [minimal]="minimal Xlib")

# Builds what is missing or out of date; nothing is rebuilt when the build is current.
[ -f "$build/CMakeCache.txt" ] || cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel 2 --target TrenoxVK trenox_startup trenox_minimal_xlib trenox_minimal_wayland >/dev/null
startup=$build/bench/trenox_startup

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# gifview's picture: the frames cropped to the window's client area, colours kept exactly (at most
# 256 in each frame, so no quantising), looping forever.
gif=$work/trenox.gif
convert -delay "$gif_delay" -loop 0 "$source_dir"/frames/frame??.bmp -crop "$client_area+0+0" +repage +dither "$gif"
# The benchmark knows a frame only by its exact pixels: frame 1 of the GIF must be the BMP's.
differing=$(compare -metric AE "${gif}[0]" "$source_dir/frames/frame01.bmp[$client_area+0+0]" null: 2>&1) || true
if [ "$differing" != 0 ]; then
  echo "$0: frame 1 of the GIF differs from frames/frame01.bmp in $differing pixels" >&2
  exit 1
fi

caption=$("$startup" --caption)  # gifview's window is found by the program's caption too

# Appends one line per start to $work/<name>: milliseconds to frame 1, peak resident MB.
measure() {
  local name=$1 command
  case "$name" in
    TrenoxVK) command=("$build/TrenoxVK") ;;
    gifview) command=(gifview --title "$caption" --animate "$gif") ;;
    minimal) command=("$build/bench/trenox_minimal_xlib") ;;
  esac
  "$startup" --each "$starts" -- "${command[@]}" >>"$work/$name"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  for name in "${programs[@]}"; do
    echo "round $round of $rounds: $name, $starts starts" >&2
    measure "$name"
  done
done
# Wayland: both in the same weston, started in turn; lines "<1 or 2> <ms> <MB>".
for round in $(seq "$rounds"); do
  echo "round $round of $rounds: in weston, TrenoxVK and minimal wl_shm, $starts starts each" >&2
  "$startup" --weston --each "$starts" -- "$build/TrenoxVK" -- "$build/bench/trenox_minimal_wayland" >>"$work/wayland"
done
awk '$1 == 1 { print $2, $3 }' "$work/wayland" >"$work/TrenoxVK-wayland"
awk '$1 == 2 { print $2, $3 }' "$work/wayland" >"$work/minimal-wayland"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

# Median of column $2 of file $1.
median() {
  cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
# Fastest and slowest start of file $1, so that an outlier (a missed frame 1) shows.
spread() { cut -d' ' -f1 "$1" | sort -n | sed -n '1p;$p' | paste -sd' '; }
declare -A start peak
for name in "${programs[@]}"; do
  start[$name]=$(median "$work/$name" 1)
  peak[$name]=$(median "$work/$name" 2)
done

echo
echo "Start-up under Xvfb, no window manager: medians of $((rounds * starts)) starts each ($rounds interleaved rounds of $starts)"
printf '%-20s %18s %22s %20s\n' "" "start to frame 1" "(fastest to slowest)" "peak memory (VmHWM)"
for name in "${programs[@]}"; do
  read -r fastest slowest < <(spread "$work/$name")
  printf '%-20s %15.1f ms %11.1f to %5.1f ms %17.1f MB\n' "${label[$name]}" "${start[$name]}" "$fastest" "$slowest" \
    "${peak[$name]}"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
for anchor in gifview minimal; do
  printf '%-20s %17s x %22s %18s x\n' "TrenoxVK / ${label[$anchor]%% *}" \
    "$(ratio "${start[TrenoxVK]}" "${start[$anchor]}")" "" "$(ratio "${peak[TrenoxVK]}" "${peak[$anchor]}")"
done

echo
echo "Start-up in weston $(weston --version | awk '{print $2}') (X11 backend on Xvfb, pixman): medians of $((rounds * starts)) starts each"
printf '%-20s %18s %22s %20s\n' "" "start to frame 1" "(fastest to slowest)" "peak memory (VmHWM)"
label[TrenoxVK-wayland]="TrenoxVK (Wayland)"
label[minimal-wayland]="minimal wl_shm"
for name in TrenoxVK-wayland minimal-wayland; do
  start[$name]=$(median "$work/$name" 1)
  peak[$name]=$(median "$work/$name" 2)
  read -r fastest slowest < <(spread "$work/$name")
  printf '%-20s %15.1f ms %11.1f to %5.1f ms %17.1f MB\n' "${label[$name]}" "${start[$name]}" "$fastest" "$slowest" \
    "${peak[$name]}"
done
printf '%-20s %17s x %22s %18s x\n' "TrenoxVK / minimal" "$(ratio "${start[TrenoxVK-wayland]}" "${start[minimal-wayland]}")" \
  "" "$(ratio "${peak[TrenoxVK-wayland]}" "${peak[minimal-wayland]}")"
printf '%-20s %58s\n' "Wayland - X11 peak" "$(awk -v a="${peak[TrenoxVK-wayland]}" -v b="${peak[TrenoxVK]}" 'BEGIN { printf "%+.1f MB", a - b }')"
