// How the compositor wants the window, whichever of its roles (xdg-shell of its own, or libdecor's
// frame) heard it.
#pragma once

struct WindowConfigure {
    // A size the compositor requires: a maximised or fullscreen window must take it. 0: none
    // required, the window keeps its own.
    int width = 0;
    int height = 0;
    bool activated = false;  // the active window, with the keyboard focus
};
