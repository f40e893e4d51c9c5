#!/usr/bin/env bash
# Draws trenox_vk.ico, the application icon: a generic window (frame, blue title bar, close box,
# white client area) at 16 and 32 pixels. Needs ImageMagick; the result is committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# draw SIZE TITLE_BOTTOM CLOSE_BOX: outline, title bar, close box and client area at one size.
draw() {
  local size=$1 title=$2 box=$3 last=$(($1 - 1))
  convert -size "${size}x${size}" xc:none \
    -fill '#c0c0c0' -stroke '#404040' -draw "rectangle 0,1 ${last},$((last - 1))" \
    -fill '#000080' -stroke none -draw "rectangle 1,2 $((last - 1)),${title}" \
    -fill '#c0c0c0' -draw "rectangle $((last - box - 1)),3 $((last - 2)),$((title - 1))" \
    -fill '#ffffff' -stroke '#808080' -draw "rectangle 2,$((title + 2)) $((last - 2)),$((last - 3))" \
    "PNG32:$work/icon$size.png"
}
draw 16 5 3
draw 32 9 6
convert "$work/icon16.png" "$work/icon32.png" trenox_vk.ico
