// The Wayland module's one entry point, which the program finds with dlsym.
#include "app/wayland/wayland_module.h"

#include "app/wayland/wayland_platform.h"

extern "C" __attribute__((visibility("default"))) WaylandStart TrenoxRunWayland(Trenox_VK& window) {
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static WaylandPlatform platform(window);
    if (!platform.Connect()) return WaylandStart::NoCompositor;
    if (!platform.Open()) return WaylandStart::Failed;
    window.Live(platform, platform.Input());
}
