#!/usr/bin/env bash
# Start-up figures of TrenoxVK.exe under Wine (and of the Linux build beside it, when built):
# median time from start to frame 1 on screen and median peak resident memory, over several
# starts on a private Xvfb. Usage: tests/win32/startup_figures.sh [starts] [display number]
set -euo pipefail
cd "$(dirname "$0")/../.."
starts=${1:-7}
display=:${2:-71}
out=build-win/startup_probe
exe=build-win/TrenoxVK.exe

[ -x "$exe" ] || { echo "build $exe first: cmake --preset windows && cmake --build --preset windows" >&2; exit 2; }
c++ -std=c++20 -O2 -I. -o "$out" tests/win32/startup_probe.cpp frames/rle8_decoder.cpp -lX11

export WINEPREFIX=$PWD/build-win/wine/figures WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
Xvfb "$display" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
wineboot -i >/dev/null 2>&1

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# measure LABEL BEFORE COMMAND...: one line of medians over $starts starts; BEFORE runs, untimed,
# before each start.
measure() {
  local label=$1 before=$2 results
  shift 2
  results=$(for _ in $(seq "$starts"); do
    sh -c "$before"
    "$out" frames/frame01.bmp frames/frame02.bmp "$@"
    sleep 0.5
  done)
  printf '%s: start to frame 1 %s ms, peak memory %s MiB (medians of %s starts; frame 2 seen first in %s)\n' \
    "$label" "$(cut -d' ' -f1 <<<"$results" | median)" \
    "$(awk '{ printf "%.1f\n", $3 / 1024 }' <<<"$results" | median)" "$starts" \
    "$(awk '$2 == 2' <<<"$results" | wc -l)"
}

# Wine keeps its wineserver (and explorer) running for a while after a program ends; a first
# start after that also starts them.
measure "Wine, wineserver already running" true wine "$exe"
measure "Wine, first start (wineserver not running)" "wineserver -k 2>/dev/null; wineserver -w" wine "$exe"
if [ -x build/TrenoxVK ]; then measure "Linux (SDL2), same method" true build/TrenoxVK; fi
