#!/usr/bin/env bash
# Makes trenox_vk.ico, the Windows application icon, from the same drawing as the Linux menu icon
# (packaging/draw_icon.cpp) at 16, 32 and 48 pixels. Needs a Linux build and ImageMagick; the
# result is committed. Usage: app/win32/draw_icon.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" --target draw_icon >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48; do "$build/draw_icon" "$size" "$work/icon$size.png"; done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" app/win32/trenox_vk.ico
