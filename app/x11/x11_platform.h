// Linux platform layer on X: the main window as a plain Xlib window, its events as neutral input
// events. Made of the connection (x11_connection), the window (x11_window), the screen's colours
// (x11_colours) and the picture (x11_image); events are translated in x11_events.cpp.
#pragma once

#include <optional>

#include "app/trenox_vk.h"
#include "app/x11/x11_colours.h"
#include "app/x11/x11_connection.h"
#include "app/x11/x11_image.h"
#include "app/x11/x11_window.h"
#include "app/x11/xlib_types.h"
#include "frames/frame_set.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

class X11Platform final : public Platform {
public:
    explicit X11Platform(Trenox_VK& window);
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;
    ~X11Platform() = default;

    // Connects, creates the hidden window and its image. If it cannot, prints one line and says
    // how the program ends.
    std::optional<EndReason> Open();
    const InputDispatcher& Input() const { return input_; }

    void ShowWindow() override;
    void WaitForEvents() override;
    void ProcessPendingEvents() override;
    void ShowPicture(const Picture& picture) override;
    [[noreturn]] void End(EndReason reason) override;

private:
    void Translate(XEvent& event);
    void OnKey(XEvent& event);
    void OnFocus(const XEvent& event);

    const FrameHolders& images_;
    InputDispatcher input_;
    // In the order they are made; the connection, last to go, takes the server's side of the rest.
    X11Connection connection_;
    X11Colours colours_;
    X11Window window_{connection_};
    X11Image image_{connection_};
};
