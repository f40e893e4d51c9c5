// The window in libdecor's frame, for a compositor that draws no title bar: libdecor is opened at
// run time, only then, and its plugin draws the title bar.
#pragma once

#include "app/wayland/window_configure.h"

class WaylandPlatform;
struct libdecor;
struct libdecor_configuration;
struct libdecor_frame;
struct wl_display;
struct wl_surface;

class LibdecorWindow {
public:
    // Opens libdecor once; false, with one line printed, if it cannot be opened.
    static bool Load();
    // Puts `surface` in a frame with the window's title, app id and fixed size. False, with one
    // line printed, if libdecor cannot be opened: the window then goes without a title bar.
    bool Create(wl_display* display, wl_surface* surface, WaylandPlatform& platform);
    void Map();
    // Answers the configure being handled with the window's content size; its commit follows.
    void Acknowledge(int width, int height);

    // What the listeners report.
    void OnConfigure(libdecor_frame* frame, libdecor_configuration* configuration);
    void OnClose();

private:
    WaylandPlatform* platform_ = nullptr;
    libdecor* decor_ = nullptr;
    libdecor_frame* frame_ = nullptr;
    libdecor_configuration* configuration_ = nullptr;  // the one being handled
};
