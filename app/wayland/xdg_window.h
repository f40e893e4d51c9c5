// The window's own xdg-shell toplevel, for a compositor that draws its title bar (xdg-decoration),
// and for one that does not where libdecor cannot be had: then the window has none.
#pragma once

#include <cstdint>

#include "app/wayland/window_configure.h"

class WaylandPlatform;
struct wl_array;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct zxdg_decoration_manager_v1;
struct zxdg_toplevel_decoration_v1;

class XdgWindow {
public:
    // Gives `surface` the toplevel role with the window's title, app id and fixed size; with
    // `decorations`, asks the compositor to draw the title bar.
    void Create(xdg_wm_base* shell, zxdg_decoration_manager_v1* decorations, wl_surface* surface,
                WaylandPlatform& platform);
    // Takes the role back from the surface, which must have no picture attached.
    void Destroy();
    // The first commit, without a picture: the compositor answers with the first configure.
    void Map();
    // Answers the configure being handled; its commit follows.
    void Acknowledge();

    // What the listeners report.
    void OnToplevelConfigure(int width, int height, const wl_array* states);
    void OnSurfaceConfigure(std::uint32_t serial);
    void OnClose();
    void OnTitleBarRefused();  // the compositor draws none after all

private:
    WaylandPlatform* platform_ = nullptr;
    wl_surface* surface_ = nullptr;
    xdg_surface* role_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    zxdg_toplevel_decoration_v1* decoration_ = nullptr;
    WindowConfigure pending_{};  // the toplevel's part, until the surface's configure completes it
    std::uint32_t serial_ = 0;
};
