// Wayland platform layer, its connection: the compositor's globals, the outputs' scales, reading
// and dispatching events, and how the connection ends.
#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/ending.h"
#include "app/wayland/wayland_platform.h"
#include "frames/enlarge.h"
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr std::uint32_t kCompositorVersion = 4;  // wl_surface.damage_buffer
constexpr std::uint32_t kSeatVersion = 5;
constexpr std::uint32_t kOutputVersion = 2;      // wl_output.scale
constexpr std::uint32_t kShellVersion = 2;

// libwayland's own message on a fatal error, kept for the one line the program prints.
std::array<char, 256> lastMessage{};
void KeepMessage(const char* format, va_list arguments) {
    std::vsnprintf(lastMessage.data(), lastMessage.size(), format, arguments);
    lastMessage[std::strcspn(lastMessage.data(), "\n")] = '\0';
}

WaylandPlatform& PlatformOf(void* data) { return *static_cast<WaylandPlatform*>(data); }

constexpr wl_registry_listener kRegistryListener{
    .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                 std::uint32_t version) { PlatformOf(data).OnGlobal(registry, name, interface, version); },
    .global_remove = [](void* data, wl_registry*, std::uint32_t name) { PlatformOf(data).OnGlobalRemoved(name); },
};

constexpr wl_output_listener kOutputListener{
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   const char*, const char*, std::int32_t) {},
    .mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {},
    .done = [](void*, wl_output*) {},
    .scale = [](void* data, wl_output* output, std::int32_t scale) { PlatformOf(data).OnOutputScale(output, scale); },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

// The compositor asks whether the program still answers.
constexpr xdg_wm_base_listener kShellListener{
    .ping = [](void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

constexpr wl_surface_listener kSurfaceListener{
    .enter = [](void* data, wl_surface*, wl_output* output) { PlatformOf(data).OnSurfaceOutput(output, true); },
    .leave = [](void* data, wl_surface*, wl_output* output) { PlatformOf(data).OnSurfaceOutput(output, false); },
};

}  // namespace

bool WaylandPlatform::Connect() {
    wl_log_set_handler_client(KeepMessage);
    display_ = wl_display_connect(nullptr);
    return display_ != nullptr;
}

bool WaylandPlatform::BindGlobals() {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The globals, then what they tell at once: the outputs' scales, the seat's devices.
    for (int round = 0; round < 2; ++round) {
        if (wl_display_roundtrip(display_) < 0) OnLost(display_);
    }
    if (compositor_ != nullptr && shm_ != nullptr && shell_ != nullptr) return true;
    std::fprintf(stderr, "TrenoxVK: the Wayland compositor has no wl_compositor %u, wl_shm or xdg_wm_base\n",
                 kCompositorVersion);
    return false;
}

// The window's surface, and a second handle on it whose frame callbacks come apart from input.
void WaylandPlatform::CreateSurface() {
    surface_ = wl_compositor_create_surface(compositor_);
    wl_surface_add_listener(surface_, &kSurfaceListener, this);
    presentSurface_ = static_cast<wl_surface*>(wl_proxy_create_wrapper(surface_));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(presentSurface_), presentQueue_);
}

void WaylandPlatform::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version) {
    auto bind = [&](const wl_interface& type, std::uint32_t wanted) {
        return wl_registry_bind(registry, name, &type, std::min(version, wanted));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= kCompositorVersion) {
        compositor_ = static_cast<wl_compositor*>(bind(wl_compositor_interface, kCompositorVersion));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        shm_ = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && seatGlobal_ == nullptr) {
        seatGlobal_ = static_cast<wl_seat*>(bind(wl_seat_interface, kSeatVersion));
        seat_.Attach(seatGlobal_);
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        shell_ = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, kShellVersion));
        xdg_wm_base_add_listener(shell_, &kShellListener, this);
    } else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
        decorations_ = static_cast<zxdg_decoration_manager_v1*>(bind(zxdg_decoration_manager_v1_interface, 1));
    } else if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        activation_ = static_cast<xdg_activation_v1*>(bind(xdg_activation_v1_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= kOutputVersion) {
        const auto slot = std::find_if(outputs_.begin(), outputs_.end(), [](const Output& o) { return o.output == nullptr; });
        if (slot == outputs_.end()) return;
        slot->output = static_cast<wl_output*>(bind(wl_output_interface, kOutputVersion));
        slot->name = name;
        wl_output_add_listener(slot->output, &kOutputListener, this);
    }
}

void WaylandPlatform::OnGlobalRemoved(std::uint32_t name) {
    for (Output& output : outputs_) {
        if (output.output == nullptr || output.name != name) continue;
        wl_output_destroy(output.output);
        output = Output{};
    }
}

void WaylandPlatform::OnOutputScale(const wl_output* output, int scale) {
    for (Output& slot : outputs_) {
        if (slot.output == output) slot.scale = scale;
    }
}

void WaylandPlatform::OnSurfaceOutput(const wl_output* output, bool entered) {
    for (Output& slot : outputs_) {
        if (slot.output == output) slot.showsWindow = entered;
    }
}

// The whole factor of the densest output that shows the window; before it shows, of the densest there is.
int WaylandPlatform::Scale() const {
    int showing = 0;
    int any = 0;
    for (const Output& output : outputs_) {
        if (output.output == nullptr) continue;
        any = std::max(any, output.scale);
        if (output.showsWindow) showing = std::max(showing, output.scale);
    }
    return WholeFactor(showing > 0 ? showing : any);
}

void WaylandPlatform::Pump(wl_event_queue* queue, int timeoutMs) {
    auto dispatchPending = [this, queue] {
        const int done = queue == nullptr ? wl_display_dispatch_pending(display_)
                                          : wl_display_dispatch_queue_pending(display_, queue);
        if (done < 0) OnLost(display_);
    };
    // Events read already, while waiting for the other queue: theirs is all the news there is.
    if ((queue == nullptr ? wl_display_prepare_read(display_) : wl_display_prepare_read_queue(display_, queue)) != 0) {
        dispatchPending();
        if (queue == nullptr) seat_.Repeat();
        return;
    }
    wl_display_flush(display_);  // a failure shows in the read
    pollfd connection{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&connection, 1, timeoutMs) > 0) {
        if (wl_display_read_events(display_) < 0) OnLost(display_);
    } else {
        wl_display_cancel_read(display_);
    }
    dispatchPending();
    // Key repeats are typed only with the window's other input, between two passes.
    if (queue == nullptr) seat_.Repeat();
}

// A protocol error is a fault; the compositor going away ends the program as losing the X display does.
void WaylandPlatform::OnLost(wl_display* display) {
    if (wl_display_get_error(display) != EPROTO) EndProcess(EndReason::DisplayLost);
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
    if (lastMessage[0] != '\0') {
        std::fprintf(stderr, "TrenoxVK: Wayland protocol error: %s\n", lastMessage.data());
    } else {
        std::fprintf(stderr, "TrenoxVK: Wayland protocol error %u on %s@%u\n", code,
                     interface != nullptr ? interface->name : "?", id);
    }
    EndProcess(EndReason::ProtocolError);
}
