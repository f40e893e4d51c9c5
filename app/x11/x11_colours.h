// How the screen shows the frames' colours: a TrueColor screen by its channel masks; on an indexed
// one the colours the frames use, allocated in its colormap or, when that is full, in our own.
#pragma once

#include <span>

#include "app/x11/xlib_types.h"
#include "frames/picture.h"
#include "frames/pixel_format.h"

class X11Colours {
public:
    // Chooses the pixel format of `display`'s default visual for `pictures`; prints one line and
    // returns false on a screen that shows only greys or has no room for the pictures' colours.
    bool Choose(Display* display, std::span<const Picture> pictures);

    const PixelFormat& Format() const { return format_; }
    // The window's own colormap, when the screen's default one had no room left; else 0 (None).
    Colormap Private() const { return colormap_; }

private:
    bool Allocate(Display* display, std::span<const Picture> pictures);

    PixelFormat format_;
    Colormap colormap_ = 0;
};
