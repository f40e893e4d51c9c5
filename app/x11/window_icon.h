// The window's icon as _NET_WM_ICON lists it: width, height, then ARGB pixels, for each size.
// Drawn at build time from the menu icon's drawing (packaging/draw_icon.cpp), so the program needs no Cairo.
#pragma once

#include <cstddef>

extern const unsigned long kWindowIcon[];  // unsigned long: Xlib's type for 32-bit property data
extern const std::size_t kWindowIconLength;
