// The Wayland start-up comparison's anchor where the compositor draws no title bars: the least a
// libdecor client does to show frame 1 in a window like the program's (title, fixed size, libdecor's
// title bar): one buffer, one commit on the first configure; then it answers until it is killed.
#include <libdecor.h>
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

namespace {

struct Client {
    wl_shm* shm = nullptr;
    wl_compositor* compositor = nullptr;
    wl_surface* surface = nullptr;
    std::vector<std::uint32_t> pixels;
    bool shown = false;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t /*version*/) {
    auto& client = *static_cast<Client*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        client.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        client.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    }
}
void OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}
constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

void Show(Client& client) {
    const int stride = kClientWidth * static_cast<int>(sizeof(std::uint32_t));
    const std::size_t bytes = static_cast<std::size_t>(stride) * kClientHeight;
    const int fd = memfd_create("minimal-libdecor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) std::exit(EXIT_FAILURE);
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) std::exit(EXIT_FAILURE);
    std::transform(client.pixels.begin(), client.pixels.end(), static_cast<std::uint32_t*>(mapped),
                   [](std::uint32_t rgb) { return rgb | 0xFF000000U; });
    wl_shm_pool* pool = wl_shm_create_pool(client.shm, fd, static_cast<int>(bytes));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, kClientWidth, kClientHeight, stride, WL_SHM_FORMAT_XRGB8888);
    wl_surface_attach(client.surface, buffer, 0, 0);
    wl_surface_damage(client.surface, 0, 0, kClientWidth, kClientHeight);
    wl_surface_commit(client.surface);
    client.shown = true;
}

libdecor_interface DecorInterface() {
    libdecor_interface events{};
    events.error = [](libdecor*, libdecor_error, const char* message) {
        std::fprintf(stderr, "minimal_libdecor: %s\n", message);
        std::exit(EXIT_FAILURE);
    };
    return events;
}

libdecor_frame_interface FrameInterface() {
    libdecor_frame_interface events{};
    events.configure = [](libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
        auto& client = *static_cast<Client*>(data);
        libdecor_state* state = libdecor_state_new(kClientWidth, kClientHeight);
        libdecor_frame_commit(frame, state, configuration);
        libdecor_state_free(state);
        if (!client.shown) {
            Show(client);
        } else {
            wl_surface_commit(client.surface);
        }
    };
    events.close = [](libdecor_frame*, void*) { std::exit(EXIT_SUCCESS); };
    events.commit = [](libdecor_frame*, void* data) { wl_surface_commit(static_cast<Client*>(data)->surface); };
    events.dismiss_popup = [](libdecor_frame*, const char*, void*) {};
    return events;
}

}  // namespace

int main() {
    Client client;
    client.pixels = FrameOnePixels(kClientWidth, kClientHeight);
    if (client.pixels.empty()) {
        std::fputs("minimal_libdecor: frame 1 does not decode\n", stderr);
        return EXIT_FAILURE;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("minimal_libdecor: no compositor\n", stderr);
        return EXIT_FAILURE;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, &client);
    wl_display_roundtrip(display);
    if (client.compositor == nullptr || client.shm == nullptr) return EXIT_FAILURE;
    client.surface = wl_compositor_create_surface(client.compositor);
    static libdecor_interface decorEvents = DecorInterface();
    static libdecor_frame_interface frameEvents = FrameInterface();
    libdecor* decor = libdecor_new(display, &decorEvents);
    libdecor_frame* frame = libdecor_decorate(decor, client.surface, &frameEvents, &client);
    libdecor_frame_set_title(frame, kCaption.data());
    libdecor_frame_set_min_content_size(frame, kClientWidth, kClientHeight);
    libdecor_frame_set_max_content_size(frame, kClientWidth, kClientHeight);
    libdecor_frame_map(frame);
    while (libdecor_dispatch(decor, -1) >= 0) {}
    return EXIT_SUCCESS;
}
