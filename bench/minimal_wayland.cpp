// The Wayland start-up comparison's lower anchor: the least a wl_shm client does to show frame 1 in
// a window like the program's (same title, same size): connect, one buffer, one commit; then it
// answers the compositor until it is killed. No title bar of its own, no keyboard, no scaling.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/window_layout.h"
#include "bench/frame_one_pixels.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    bool configured = false;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t /*version*/) {
    auto& globals = *static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        globals.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        globals.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        globals.shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    }
}
void OnGlobalRemoved(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}
constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemoved};

void OnPing(void* /*data*/, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
constexpr xdg_wm_base_listener kShellListener{OnPing};

void OnConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<Globals*>(data)->configured = true;
}
constexpr xdg_surface_listener kSurfaceListener{OnConfigure};

}  // namespace

int main() {
    std::vector<std::uint32_t> pixels = FrameOnePixels(kClientWidth, kClientHeight);
    if (pixels.empty()) {
        std::fputs("minimal_wayland: frame 1 does not decode\n", stderr);
        return EXIT_FAILURE;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("minimal_wayland: no compositor\n", stderr);
        return EXIT_FAILURE;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.compositor == nullptr || globals.shm == nullptr || globals.shell == nullptr) {
        std::fputs("minimal_wayland: the compositor lacks wl_compositor, wl_shm or xdg_wm_base\n", stderr);
        return EXIT_FAILURE;
    }
    xdg_wm_base_add_listener(globals.shell, &kShellListener, nullptr);
    wl_surface* surface = wl_compositor_create_surface(globals.compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(globals.shell, surface);
    xdg_surface_add_listener(shellSurface, &kSurfaceListener, &globals);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_set_title(toplevel, kCaption.data());
    wl_surface_commit(surface);
    while (!globals.configured && wl_display_dispatch(display) >= 0) {}

    const int stride = kClientWidth * static_cast<int>(sizeof(std::uint32_t));
    const std::size_t bytes = static_cast<std::size_t>(stride) * kClientHeight;
    const int fd = memfd_create("minimal-wayland", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) return EXIT_FAILURE;
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) return EXIT_FAILURE;
    std::transform(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(mapped),
                   [](std::uint32_t rgb) { return rgb | 0xFF000000U; });
    wl_shm_pool* pool = wl_shm_create_pool(globals.shm, fd, static_cast<int>(bytes));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, kClientWidth, kClientHeight, stride, WL_SHM_FORMAT_XRGB8888);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, kClientWidth, kClientHeight);
    wl_surface_commit(surface);
    while (wl_display_dispatch(display) >= 0) {}
    return EXIT_SUCCESS;  // the compositor has gone
}
