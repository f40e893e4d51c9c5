// The seam between the program and its windowing platform: the only things the core asks of it.
#pragma once

#include "frames/picture.h"

class Platform {
public:
    // Shows `picture` at the picture area's top-left corner, unscaled, and puts it on screen now.
    virtual void ShowPicture(const Picture& picture) = 0;
    // Runs the handlers of every queued window event, repaints what needs it, and returns.
    virtual void ProcessPendingEvents() = 0;
    // Ends the process at once with status 0.
    [[noreturn]] virtual void Quit() = 0;
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
