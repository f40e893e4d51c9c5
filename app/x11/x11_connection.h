// The connection to the X server: the display, the atoms the window uses, and the error handlers
// through which a lost display, an X error or our window destroyed from outside end the program.
#pragma once

#include <array>
#include <cstddef>

#include "app/x11/xlib_types.h"

// Every atom the window uses, fetched in one round trip.
enum AtomName : std::size_t {
    kWmProtocols,
    kWmDeleteWindow,
    kWmTakeFocus,
    kNetWmPing,
    kNetWmName,
    kUtf8String,
    kNetWmPid,
    kNetWmIcon,
    kNetWmWindowType,
    kNetWmWindowTypeNormal,
    kMotifWmHints,
    kNetFrameExtents,
    kNetActiveWindow,
    kNetStartupId,
    kNetStartupInfoBegin,
    kNetStartupInfo,
    kAtomCount
};

class X11Connection {
public:
    X11Connection() = default;
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    // Closing the connection frees every X resource the layer made.
    ~X11Connection();

    // Connects to the display DISPLAY names and fetches the atoms; prints one line and returns false
    // if there is none. From here on X errors and the display's loss end the program.
    bool Open();

    Display* Get() const { return display_; }
    int Screen() const;
    Window Root() const;
    Atom operator[](AtomName name) const { return atoms_[name]; }

    // An error about `window` once it is gone ends the program like a close, not as a fault.
    void Watch(Window window);
    // Whether the server refused one of the requests sent since the last sync; such a refusal
    // does not end the program.
    bool ServerRefusedPending();

private:
    Display* display_ = nullptr;
    std::array<Atom, kAtomCount> atoms_{};
};
