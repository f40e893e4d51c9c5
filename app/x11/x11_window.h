// The main window on X: its creation, the properties a window manager reads, centring with the
// window manager's frame, the keyboard focus, and the window manager's protocols.
#pragma once

#include <string>

#include "app/x11/x11_connection.h"
#include "app/x11/xlib_types.h"

class X11Window {
public:
    explicit X11Window(X11Connection& connection) : connection_(connection) {}
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;
    ~X11Window() = default;  // the window goes with the connection

    // Creates the hidden window, centred on the screen, in `colormap` unless that is 0 (None).
    void Create(Colormap colormap);
    Window Id() const { return window_; }

    // Maps the window; it is centred and takes the keyboard focus as its events arrive.
    void Show();
    // The window manager mapped the window, or set its frame's extents.
    void OnMapped();
    void OnPropertyChanged(Atom property);
    // Answers WM_PROTOCOLS' focus hand-over and liveness check; true if the message asks the
    // window to close.
    bool OnProtocolMessage(XEvent& event);

private:
    void SetProperties();
    void CentreWithFrame();
    void TakeFocus(Time time);
    void EndStartupNotification();

    X11Connection& connection_;
    Window window_ = 0;
    Colormap colormap_ = 0;
    bool managed_ = false;     // a window manager ran when the window was shown
    bool focusTaken_ = false;
    bool centred_ = false;
    // The launcher's start-up notification id: the window manager gives the window the focus the
    // launch had, and the launcher stops showing the start as busy once the window is mapped.
    std::string startupId_;
};
