// Wayland platform layer: owns the connection, the window's surface and buffers, and its events.
#include "app/wayland/wayland_platform.h"

#include <libdecor.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

#include "app/ending.h"
#include "app/window_layout.h"
#include "frames/enlarge.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

// A hidden window's pictures are never shown: after this the next one goes without waiting.
constexpr std::chrono::milliseconds kLongestPresentWait{100};

WaylandPlatform& PlatformOf(void* data) { return *static_cast<WaylandPlatform*>(data); }

constexpr wl_callback_listener kPresentedListener{
    .done = [](void* data, wl_callback*, std::uint32_t) { PlatformOf(data).OnPresented(); },
};

// libdecor's interfaces carry reserved members: set only the ones it calls.
libdecor_interface DecorInterface() {
    libdecor_interface events{};
    events.error = [](libdecor*, libdecor_error, const char* message) {
        std::fprintf(stderr, "TrenoxVK: Wayland window error: %s\n", message);
        EndProcess(EndReason::ProtocolError);
    };
    return events;
}
libdecor_interface decorInterface = DecorInterface();

libdecor_frame_interface FrameInterface() {
    libdecor_frame_interface events{};
    events.configure = [](libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
        PlatformOf(data).OnConfigure(frame, configuration);
    };
    events.close = [](libdecor_frame*, void* data) { PlatformOf(data).OnCloseRequested(); };
    events.commit = [](libdecor_frame*, void*) {};
    events.dismiss_popup = [](libdecor_frame*, const char*, void*) {};
    return events;
}
libdecor_frame_interface frameInterface = FrameInterface();

}  // namespace

bool WaylandPlatform::Open() {
    if (!BindGlobals()) return false;
    presentQueue_ = wl_display_create_queue(display_);
    buffers_.Init(shm_, presentQueue_);
    CreateSurface();
    seat_.SetPicture(surface_);

    decor_ = libdecor_new(display_, &decorInterface);
    frame_ = libdecor_decorate(decor_, surface_, &frameInterface, this);
    libdecor_frame_set_title(frame_, kCaption.data());  // a literal's view: NUL-terminated
    libdecor_frame_set_app_id(frame_, kAppId);
    // Fixed size: no resizing, and with it no maximise button or maximising by the title bar.
    libdecor_frame_set_min_content_size(frame_, kClientWidth, kClientHeight);
    libdecor_frame_set_max_content_size(frame_, kClientWidth, kClientHeight);
    libdecor_frame_unset_capabilities(frame_,
                                      static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
    return true;
}

void WaylandPlatform::OnConfigure(libdecor_frame* frame, libdecor_configuration* configuration) {
    libdecor_state* state = libdecor_state_new(kClientWidth, kClientHeight);
    libdecor_frame_commit(frame, state, configuration);
    libdecor_state_free(state);
    if (configured_) {
        wl_surface_commit(surface_);  // acknowledges the configuration
    } else {
        // A window shows only once it has a picture: until frame 1 the background's.
        configured_ = true;
        ShmBuffer& buffer = FreeBuffer();
        std::fill_n(buffer.pixels, buffer.stride * kClientHeight * buffer.scale, format_.PixelOf(kBackgroundRgb));
        Present(buffer);
        // Only pictures must each reach the screen: frame 1 may replace the background unseen, and
        // waiting for the compositor's next repaint here held frame 1 back by up to a repaint.
        presenting_ = false;
    }
    // The compositor gives an activated window the keyboard focus.
    libdecor_window_state windowState = LIBDECOR_WINDOW_STATE_NONE;
    if (libdecor_configuration_get_window_state(configuration, &windowState) &&
        (windowState & LIBDECOR_WINDOW_STATE_ACTIVE) != 0) {
        input_.Dispatch(InputEvent::Activated());
    }
}

void WaylandPlatform::ShowWindow() { libdecor_frame_map(frame_); }

void WaylandPlatform::WaitForEvents() { Pump(nullptr, -1); }

void WaylandPlatform::ProcessPendingEvents() { Pump(nullptr, 0); }

void WaylandPlatform::End(EndReason reason) { EndProcess(reason); }

void WaylandPlatform::ShowPicture(const Picture& picture) {
    ShmBuffer& buffer = FreeBuffer();
    Palette colours{};
    format_.Convert(picture.palette, colours);
    ColourSink sink{buffer.pixels, buffer.stride, {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
    EnlargeInPlace(buffer.pixels, buffer.stride, {kClientWidth, kClientHeight}, buffer.scale);
    // The picture before reaches the screen first: none is lost between two of the compositor's repaints.
    const auto deadline = std::chrono::steady_clock::now() + kLongestPresentWait;
    while (presenting_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        Pump(presentQueue_, static_cast<int>(left.count()));
    }
    Present(buffer);
}

ShmBuffer& WaylandPlatform::FreeBuffer() {
    for (;;) {
        if (ShmBuffer* buffer = buffers_.Free(Scale()); buffer != nullptr) return *buffer;
        if (!buffers_.AnyHeld()) {
            std::fprintf(stderr, "TrenoxVK: no shared memory for the window's picture\n");
            EndProcess(EndReason::NoWindow);
        }
        Pump(presentQueue_, -1);  // until the compositor lets go of one
    }
}

void WaylandPlatform::Present(ShmBuffer& buffer) {
    if (buffer.scale != bufferScale_) wl_surface_set_buffer_scale(surface_, buffer.scale);
    bufferScale_ = buffer.scale;
    wl_surface_attach(surface_, buffer.buffer, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, std::numeric_limits<std::int32_t>::max(),
                             std::numeric_limits<std::int32_t>::max());
    if (presented_ != nullptr) wl_callback_destroy(presented_);
    presented_ = wl_surface_frame(presentSurface_);
    wl_callback_add_listener(presented_, &kPresentedListener, this);
    presenting_ = true;
    ShmBuffers::Attached(buffer);
    wl_surface_commit(surface_);
    wl_display_flush(display_);
}

