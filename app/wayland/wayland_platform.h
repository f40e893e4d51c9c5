// Wayland platform layer: the main window as an xdg toplevel whose title bar the compositor draws
// (else libdecor's plugin), its pictures in shared memory at the screen's scale, centred on a
// surface a kiosk compositor makes larger, its input as neutral events.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/trenox_vk.h"
#include "app/wayland/libdecor_window.h"
#include "app/wayland/shm_buffers.h"
#include "app/wayland/wayland_input.h"
#include "app/wayland/window_configure.h"
#include "app/wayland/xdg_window.h"
#include "app/window_layout.h"
#include "frames/pixel_format.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_activation_v1;
struct xdg_wm_base;
struct zxdg_decoration_manager_v1;

class WaylandPlatform final : public Platform {
public:
    explicit WaylandPlatform(Trenox_VK& window) : input_(window.playback, *this), seat_(input_) {}
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;
    // The connection is never closed: the process ends at once (EndProcess), and the compositor
    // frees what a client leaves.
    ~WaylandPlatform() = default;

    // Connects to the compositor that WAYLAND_DISPLAY (or WAYLAND_SOCKET) names; false if there is none.
    bool Connect();
    // Creates the hidden window; prints one line and returns false if the compositor cannot show it.
    bool Open();

    const InputDispatcher& Input() const { return input_; }

    void ShowWindow() override;
    void WaitForEvents() override;
    void ProcessPendingEvents() override;
    void ShowPicture(const Picture& picture) override;
    [[noreturn]] void End(EndReason reason) override;

    // What the listeners report.
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void OnGlobalRemoved(std::uint32_t name);
    void OnOutputScale(const wl_output* output, int scale);
    void OnSurfaceOutput(const wl_output* output, bool entered);
    void OnConfigure(const WindowConfigure& configure);
    void OnCloseRequested() { input_.Dispatch(InputEvent::CloseRequested()); }
    void OnTitleBarRefused();
    void OnPresented() { presenting_ = false; }
    [[noreturn]] static void OnLost(wl_display* display);

private:
    bool BindGlobals();
    void CreateSurface();
    // Waits up to `timeoutMs` (-1: as long as it takes) for the compositor, reads what it sent and
    // runs the handlers of `queue` (nullptr: the window's); the other queue's events wait in it.
    void Pump(wl_event_queue* queue, int timeoutMs);
    int Scale() const;
    ShmBuffer& FreeBuffer();
    void Draw(const Picture& picture, ShmBuffer& buffer) const;
    void Present(ShmBuffer& buffer);

    struct Output {
        wl_output* output = nullptr;
        std::uint32_t name = 0;  // the registry's
        int scale = 1;
        bool showsWindow = false;
    };

    InputDispatcher input_;
    WaylandInput seat_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seatGlobal_ = nullptr;
    xdg_wm_base* shell_ = nullptr;
    zxdg_decoration_manager_v1* decorations_ = nullptr;  // where the compositor draws title bars
    xdg_activation_v1* activation_ = nullptr;
    std::array<Output, 8> outputs_{};
    wl_surface* surface_ = nullptr;
    wl_surface* presentSurface_ = nullptr;  // the same surface, its frame callbacks on presentQueue_
    wl_event_queue* presentQueue_ = nullptr;  // buffer releases and frame callbacks, apart from input
    wl_callback* presented_ = nullptr;       // the frame callback of the picture last committed
    ShmBuffers buffers_;
    // wl_shm's XRGB8888 is 0x00RRGGBB; the spare byte set, as some compositors' paths (weston's
    // screenshots) read it as opacity.
    PixelFormat format_ = PixelFormat::TrueColour({0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
    XdgWindow ownWindow_;
    LibdecorWindow framedWindow_;
    bool framed_ = false;  // in libdecor's frame, else in a toplevel of its own
    // The launcher's token, handed to the compositor once the window is mapped, so that it may
    // take the focus the launcher had.
    std::string activationToken_;
    BitmapSize surfaceSize_{kClientWidth, kClientHeight};  // logical pixels
    const Picture* shown_ = nullptr;  // drawn again on a surface of a new size
    int bufferScale_ = 1;      // of the buffer last attached
    bool configured_ = false;  // the compositor has said how it wants the window
    bool presenting_ = false;  // a picture committed, not yet shown
};
