#!/bin/sh
# Makes the README's animation: one crankshaft revolution, the eighteen frames as a looping GIF.
# Usage: make_animation.sh OUTPUT.gif
set -eu
frames_dir="$(dirname "$0")/../frames"
delay=10               # hundredths of a second a frame: one revolution in 1.8 s
visible=799x598+0+0    # the part of each frame that the window's client area shows
# Unscaled, so the colours stay flat and the GIF holds the frames' pixels exactly; -strip keeps
# comments and dates out, so the same frames give the same bytes.
convert -delay "$delay" -loop 0 "$frames_dir"/frame[0-9][0-9].bmp -crop "$visible" +repage -strip \
  -layers Optimize "$1"
