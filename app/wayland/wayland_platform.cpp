// Wayland platform layer: owns the connection, the window's surface and buffers, and its events.
#include "app/wayland/wayland_platform.h"

#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/ending.h"
#include "app/window_layout.h"
#include "frames/enlarge.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"
#include "xdg-activation-v1-client-protocol.h"

namespace {

// A hidden window's pictures are never shown: after this the next one goes without waiting.
constexpr std::chrono::milliseconds kLongestPresentWait{100};

WaylandPlatform& PlatformOf(void* data) { return *static_cast<WaylandPlatform*>(data); }

constexpr wl_callback_listener kPresentedListener{
    .done = [](void* data, wl_callback*, std::uint32_t) { PlatformOf(data).OnPresented(); },
};

}  // namespace

bool WaylandPlatform::Open() {
    // Taken before anything else can start a program that would inherit it.
    if (const char* token = std::getenv("XDG_ACTIVATION_TOKEN"); token != nullptr) {
        activationToken_ = token;
        unsetenv("XDG_ACTIVATION_TOKEN");
    }
    if (!BindGlobals()) return false;
    presentQueue_ = wl_display_create_queue(display_);
    buffers_.Init(shm_, presentQueue_);
    CreateSurface();
    seat_.SetPicture(surface_);
    // The compositor's own title bar first; libdecor, and its drawing libraries, only where it has none.
    framed_ = decorations_ == nullptr && framedWindow_.Create(display_, surface_, *this);
    if (!framed_) ownWindow_.Create(shell_, decorations_, surface_, *this);
    return true;
}

void WaylandPlatform::OnConfigure(const WindowConfigure& configure) {
    // A size the compositor requires is taken, down to the picture's; the picture is centred on it.
    const BitmapSize size = configure.width > 0 && configure.height > 0
                                ? BitmapSize{std::max(configure.width, kClientWidth), std::max(configure.height, kClientHeight)}
                                : BitmapSize{kClientWidth, kClientHeight};
    if (framed_) {
        framedWindow_.Acknowledge(size.width, size.height);
    } else {
        ownWindow_.Acknowledge();
    }
    const bool resized = size.width != surfaceSize_.width || size.height != surfaceSize_.height;
    surfaceSize_ = size;
    seat_.SetPictureOrigin((size.width - kClientWidth) / 2, (size.height - kClientHeight) / 2);
    if (configured_ && !resized) {
        wl_surface_commit(surface_);  // acknowledges the configuration
    } else if (configured_) {
        ShmBuffer& buffer = FreeBuffer();
        if (shown_ != nullptr) Draw(*shown_, buffer);
        Present(buffer);
    } else {
        // A window shows only once it has a picture: until frame 1 the background's.
        configured_ = true;
        ShmBuffer& buffer = FreeBuffer();
        if (shown_ != nullptr) Draw(*shown_, buffer);  // mapped again, in a frame
        Present(buffer);
        // Only pictures must each reach the screen: frame 1 may replace the background unseen, and
        // waiting for the compositor's next repaint here held frame 1 back by up to a repaint.
        presenting_ = false;
        // Mapped now: the compositor may hand it the focus the launcher's token stands for.
        if (activation_ != nullptr && !activationToken_.empty()) {
            xdg_activation_v1_activate(activation_, activationToken_.c_str(), surface_);
            wl_display_flush(display_);
            activationToken_.clear();  // good for one activation
        }
    }
    // The compositor gives an activated window the keyboard focus.
    if (configure.activated) input_.Dispatch(InputEvent::Activated());
}

// A compositor that offered to draw the title bar may answer that the window draws its own
// (some never draw one; sway on "border csd"): the window then moves into libdecor's frame.
void WaylandPlatform::OnTitleBarRefused() {
    if (framed_ || !LibdecorWindow::Load()) return;  // without libdecor: no title bar
    if (configured_) {
        // Unmapped: a surface with a picture cannot take a new role.
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
        configured_ = false;
    }
    ownWindow_.Destroy();
    framed_ = framedWindow_.Create(display_, surface_, *this);
    framedWindow_.Map();
}

void WaylandPlatform::ShowWindow() {
    if (framed_) {
        framedWindow_.Map();
    } else {
        ownWindow_.Map();
    }
}

void WaylandPlatform::WaitForEvents() { Pump(nullptr, -1); }

void WaylandPlatform::ProcessPendingEvents() { Pump(nullptr, 0); }

void WaylandPlatform::End(EndReason reason) { EndProcess(reason); }

void WaylandPlatform::ShowPicture(const Picture& picture) {
    shown_ = &picture;
    if (!configured_) return;  // unmapped, on its way into a frame: drawn once mapped again
    ShmBuffer& buffer = FreeBuffer();
    Draw(picture, buffer);
    // The picture before reaches the screen first: none is lost between two of the compositor's repaints.
    const auto deadline = std::chrono::steady_clock::now() + kLongestPresentWait;
    while (presenting_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        Pump(presentQueue_, static_cast<int>(left.count()));
    }
    Present(buffer);
}

// The picture at the surface's centre; the rest of a new buffer is the background already.
void WaylandPlatform::Draw(const Picture& picture, ShmBuffer& buffer) const {
    Palette colours{};
    format_.Convert(picture.palette, colours);
    const int scale = buffer.scale;
    std::uint32_t* corner = buffer.pixels + static_cast<std::ptrdiff_t>((surfaceSize_.height - kClientHeight) / 2) * scale * buffer.stride +
                            static_cast<std::ptrdiff_t>((surfaceSize_.width - kClientWidth) / 2) * scale;
    ColourSink sink{corner, buffer.stride, {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
    EnlargeInPlace(corner, buffer.stride, {kClientWidth, kClientHeight}, scale);
}

ShmBuffer& WaylandPlatform::FreeBuffer() {
    for (;;) {
        if (ShmBuffer* buffer = buffers_.Free(surfaceSize_, Scale(), format_.PixelOf(kBackgroundRgb)); buffer != nullptr)
            return *buffer;
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

