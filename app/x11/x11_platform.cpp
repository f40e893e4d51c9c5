// The X11 layer as the seam sees it: opening its parts in order, showing the window and a picture,
// ending the process. Its events are in x11_events.cpp.
#include "app/x11/x11_platform.h"

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

void X11Platform::ShowPicture(const Picture& picture) { image_.Show(picture, colours_.Format()); }

void X11Platform::End(EndReason reason) { EndProcess(reason); }
