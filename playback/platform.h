// The seam between the program and its windowing platform: what a platform layer does for it.
#pragma once

#include <cstdint>

#include "frames/picture.h"

// Every way the program ends. The window's own are the quit action and a close; the rest belong to
// a platform or to the start. Each has its exit status in one table (app/ending.h).
enum class EndReason : std::uint8_t {
    Quit,           // ESC or a double-click
    WindowClosed,   // the close box, the window manager's or compositor's close, the window destroyed
    Signal,         // SIGTERM, SIGINT or SIGHUP
    DisplayLost,    // the X server or the Wayland compositor went away
    Answered,       // --help or --version
    NoDisplay,      // no display to open the window on
    ProtocolError,  // any other X or Wayland error
    NoColours,      // a screen that shows only greys
    NoWindow,       // the platform refused the window or its picture's memory
    DamagedFrame,   // a frame built into the program does not decode
    UsageError,     // a wrong command line
};

class Platform {
public:
    // Shows the window, made hidden. Its first activation arrives later, as an event.
    virtual void ShowWindow() = 0;
    // Waits until the window has events, then translates them all (as ProcessPendingEvents).
    virtual void WaitForEvents() = 0;
    // Translates every queued native event into neutral ones for the window's dispatcher, so that
    // their handlers run, repaints what needs it, and returns.
    virtual void ProcessPendingEvents() = 0;
    // Shows `picture` at the picture area's top-left corner, unscaled, and puts it on screen now.
    virtual void ShowPicture(const Picture& picture) = 0;
    // Ends the program at once; on the desktop the process ends with the reason's exit status.
    [[noreturn]] virtual void End(EndReason reason) = 0;
    // Called now and then during a long idle count, for a platform whose page or window would
    // freeze while it runs (the browser). It runs no handler: input stays queued until
    // ProcessPendingEvents. On the desktop there is nothing to do.
    virtual void Breathe() {}

protected:
    Platform() = default;
    Platform(const Platform&) = default;
    Platform& operator=(const Platform&) = default;
    ~Platform() = default;
};
