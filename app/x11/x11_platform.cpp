// The X11 layer as the seam sees it: opening its parts in order, waiting for and processing the
// window's events, showing a picture, ending the process.
#include "app/x11/x11_platform.h"

#include <X11/Xlib.h>

#include "app/ending.h"

X11Platform::X11Platform(Trenox_VK& window) : images_(window.images), input_(window.playback, *this) {}

std::optional<EndReason> X11Platform::Open() {
    if (!connection_.Open()) return EndReason::NoDisplay;
    if (!colours_.Choose(connection_.Get(), images_)) return EndReason::NoColours;
    window_.Create(colours_.Private());
    if (!image_.Create(window_.Id())) return EndReason::NoWindow;
    return std::nullopt;
}

void X11Platform::ShowWindow() { window_.Show(); }

void X11Platform::WaitForEvents() {
    XEvent event;
    XNextEvent(connection_.Get(), &event);
    Translate(event);
    ProcessPendingEvents();
}

void X11Platform::ProcessPendingEvents() {
    while (XPending(connection_.Get()) > 0) {
        XEvent event;
        XNextEvent(connection_.Get(), &event);
        Translate(event);
    }
}

void X11Platform::ShowPicture(const Picture& picture) { image_.Show(picture, colours_.Format()); }

void X11Platform::End(EndReason reason) { EndProcess(reason); }
