// The window's picture on X: one client-area-sized image that a frame is drawn into in the screen's
// pixel format, put in the window through MIT-SHM where the server shares our memory, else through
// a pixmap.
#pragma once

#include <memory>

#include "app/x11/x11_connection.h"
#include "app/x11/xlib_types.h"
#include "frames/picture.h"
#include "frames/pixel_format.h"

class X11Image {
public:
    explicit X11Image(X11Connection& connection);
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;
    ~X11Image();

    // Creates the image for `window`; prints one line and returns false if the screen has no 8-,
    // 16- or 32-bit pixels.
    bool Create(Window window);
    // Draws `picture` in `format` and puts it on screen now.
    void Show(const Picture& picture, const PixelFormat& format);
    // Puts the picture last shown in the window again (an exposure), if there is one.
    void Present();

private:
    bool CreateShared();
    void CreatePlain();

    struct SharedSegment;  // the MIT-SHM segment, which Xlib reads through the shared image

    X11Connection& connection_;
    Window window_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    std::unique_ptr<SharedSegment> shared_;  // set: the image lives in the segment, which the server reads
    Pixmap pixmap_ = 0;                      // without shared memory: the whole frame goes here first
    bool showing_ = false;                   // a picture is in the image
};
