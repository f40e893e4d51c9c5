// The window's own xdg-shell toplevel: title, app id, a fixed size, configures and the compositor's close.
#include "app/wayland/xdg_window.h"

#include <wayland-client.h>

#include "app/wayland/wayland_platform.h"
#include "app/window_layout.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

// The listeners take the protocol's events as they come, arguments in the protocol's order.
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
XdgWindow& WindowOf(void* data) { return *static_cast<XdgWindow*>(data); }

constexpr xdg_surface_listener kSurfaceListener{
    .configure = [](void* data, xdg_surface*, std::uint32_t serial) { WindowOf(data).OnSurfaceConfigure(serial); },
};

constexpr xdg_toplevel_listener kToplevelListener{
    .configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                    wl_array* states) { WindowOf(data).OnToplevelConfigure(width, height, states); },
    .close = [](void* data, xdg_toplevel*) { WindowOf(data).OnClose(); },
    .configure_bounds = [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

constexpr zxdg_toplevel_decoration_v1_listener kDecorationListener{
    .configure = [](void* data, zxdg_toplevel_decoration_v1*, std::uint32_t mode) {
        if (mode == ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE) WindowOf(data).OnTitleBarRefused();
    },
};
// NOLINTEND(bugprone-easily-swappable-parameters)

}  // namespace

void XdgWindow::Create(xdg_wm_base* shell, zxdg_decoration_manager_v1* decorations, wl_surface* surface,
                       WaylandPlatform& platform) {
    platform_ = &platform;
    surface_ = surface;
    role_ = xdg_wm_base_get_xdg_surface(shell, surface);
    xdg_surface_add_listener(role_, &kSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(role_);
    xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
    xdg_toplevel_set_title(toplevel_, kCaption.data());  // a literal's view: NUL-terminated
    xdg_toplevel_set_app_id(toplevel_, kAppId);
    // Fixed size: the compositor offers no resizing, and floats the window where it tiles others.
    xdg_toplevel_set_min_size(toplevel_, kClientWidth, kClientHeight);
    xdg_toplevel_set_max_size(toplevel_, kClientWidth, kClientHeight);
    if (decorations != nullptr) {
        decoration_ = zxdg_decoration_manager_v1_get_toplevel_decoration(decorations, toplevel_);
        zxdg_toplevel_decoration_v1_add_listener(decoration_, &kDecorationListener, this);
        zxdg_toplevel_decoration_v1_set_mode(decoration_, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
}

void XdgWindow::Destroy() {
    if (decoration_ != nullptr) zxdg_toplevel_decoration_v1_destroy(decoration_);
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(role_);
    decoration_ = nullptr;
    toplevel_ = nullptr;
    role_ = nullptr;
}

void XdgWindow::Map() { wl_surface_commit(surface_); }

void XdgWindow::Acknowledge() { xdg_surface_ack_configure(role_, serial_); }

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void XdgWindow::OnToplevelConfigure(int width, int height, const wl_array* states) {
    pending_ = WindowConfigure{};
    bool sizeRequired = false;
    const auto* state = static_cast<const std::uint32_t*>(states->data);
    for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
        if (state[i] == XDG_TOPLEVEL_STATE_ACTIVATED) pending_.activated = true;
        if (state[i] == XDG_TOPLEVEL_STATE_MAXIMIZED || state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN) sizeRequired = true;
    }
    if (sizeRequired) {
        pending_.width = width;
        pending_.height = height;
    }
}

void XdgWindow::OnSurfaceConfigure(std::uint32_t serial) {
    serial_ = serial;
    platform_->OnConfigure(pending_);
}

void XdgWindow::OnClose() { platform_->OnCloseRequested(); }

void XdgWindow::OnTitleBarRefused() { platform_->OnTitleBarRefused(); }
