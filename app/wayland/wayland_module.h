// The Wayland layer as the program loads it: a module of its own, opened only in a Wayland session,
// so that an X11 session neither loads nor links the Wayland libraries.
#pragma once

#include "app/trenox_vk.h"

// The module's file name, beside the program in the build tree and in lib/<architecture>/trenoxvk/
// once installed.
inline constexpr char kWaylandModuleName[] = "trenoxvk-wayland.so";
inline constexpr char kWaylandEntryName[] = "TrenoxRunWayland";

// How the Wayland session ended before it ran, if it did not run.
enum class WaylandStart : int {
    NoCompositor = 0,  // none reachable: X11 may be tried
    Failed = 1,        // reached, but the window could not be made (one line printed)
};

// The module's entry: runs the window on the compositor and never returns, or says why not.
using RunWaylandSession = WaylandStart (*)(Trenox_VK& window);
