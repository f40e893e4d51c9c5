// The start-up benchmark's lower anchor: the least an Xlib program does to show frame 1 in a window
// like the program's (same caption, same client size), then waits for events until it is killed.
// Before any X header: Xlib's macros (None, Window) would clash with the program's own names.
#include "app/window_layout.h"
#include "bench/frame_one_pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr unsigned kTrueColorDepth = 24;
constexpr int kPixelBits = 32;

void SetCaption(Display* display, Window window) {
    const std::string caption(kCaption);
    XStoreName(display, window, caption.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption.data()), static_cast<int>(caption.size()));
}

}  // namespace

int main() {
    std::vector<std::uint32_t> pixels = FrameOnePixels(kClientWidth, kClientHeight);
    if (pixels.empty()) {
        std::fputs("minimal_xlib: frame 1 does not decode\n", stderr);
        return EXIT_FAILURE;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("minimal_xlib: no display\n", stderr);
        return EXIT_FAILURE;
    }
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    // 0x00RRGGBB words are the pixel values only on a 24-bit TrueColor screen with these masks.
    if (static_cast<unsigned>(DefaultDepth(display, screen)) != kTrueColorDepth || visual->red_mask != 0xFF0000 ||
        visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
        std::fputs("minimal_xlib: needs a 24-bit TrueColor screen\n", stderr);
        return EXIT_FAILURE;
    }
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kClientWidth, kClientHeight,
                                              0, BlackPixel(display, screen), BlackPixel(display, screen));
    SetCaption(display, window);
    XSelectInput(display, window, ExposureMask);
    XImage* image = XCreateImage(display, visual, kTrueColorDepth, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                                 kClientWidth, kClientHeight, kPixelBits, 0);
    const GC gc = DefaultGC(display, screen);
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);  // a lost connection ends the process inside Xlib
        if (event.type == Expose && event.xexpose.count == 0) {
            XPutImage(display, window, gc, image, 0, 0, 0, 0, kClientWidth, kClientHeight);
            XFlush(display);
        }
    }
}
