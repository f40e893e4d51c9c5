// The X11 layer's state in one place, shared by its files: the connection, the window, its image
// and what the events have told so far. Only the layer's own sources include this (it brings Xlib).
#pragma once

// Before Xlib, whose macros (None) clash with the frames' names.
#include "frames/pixel_format.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <cstddef>

// Every atom the window uses, fetched in one round trip.
enum AtomIndex : std::size_t {
    kWmProtocols,
    kWmDeleteWindow,
    kWmTakeFocus,
    kNetWmPing,
    kNetWmName,
    kUtf8String,
    kNetWmPid,
    kNetWmIcon,
    kNetWmWindowType,
    kNetWmWindowTypeNormal,
    kMotifWmHints,
    kNetFrameExtents,
    kNetActiveWindow,
    kAtomCount
};
inline constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS",           "_NET_WM_PING",    "_NET_WM_NAME",
    "UTF8_STRING",  "_NET_WM_PID",      "_NET_WM_ICON",            "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",       "_MOTIF_WM_HINTS",         "_NET_FRAME_EXTENTS", "_NET_ACTIVE_WINDOW"};

struct X11State {
    Display* display = nullptr;
    std::array<Atom, kAtomCount> atoms{};
    Window window = None;
    GC gc = nullptr;

    PixelFormat format;              // how the screen shows the frames' colours
    Colormap colormap = None;        // the window's own, when the screen's default one had no room left
    XImage* image = nullptr;         // the one 799 x 598 image the frames are decoded into
    bool sharedMemory = false;       // the image lives in `segment`, which the server reads
    XShmSegmentInfo segment{};       // Xlib keeps a pointer to this in the shared image, while it lives
    Pixmap pixmap = None;            // without shared memory: the whole frame goes here first, then to the window

    bool showing = false;            // a frame is in the image, to present on every expose
    bool managed = false;            // a window manager ran when the window was shown
    bool focusTaken = false;
    bool centred = false;
    bool active = false;             // the window has had the keyboard focus
};
