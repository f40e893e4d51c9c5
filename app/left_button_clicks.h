// Clicks and double-clicks on Picture1 from the left button's presses and releases, timed by the
// platform's own event times (the X server's, the browser's), however late the loop reads them.
#pragma once

#include <cstdlib>

#include "app/trenox_vk.h"

// `Time` is the platform's milliseconds: an unsigned count that may wrap (X11's 32 bits), or a real.
template <class Time>
class LeftButtonClicks {
public:
    // Two presses of the left button this close in time and place make a double-click.
    static constexpr Time kDoubleClickMs = 500;
    static constexpr int kDoubleClickRadius = 4;

    // A press at pointer pixel (x, y): true if it makes a double-click with the press before it.
    // A press beside the picture is not the window's: it starts nothing and is not remembered.
    bool Press(int x, int y, Time time) {
        pressedOverPicture_ = OverPicture(x, y);
        if (!pressedOverPicture_) return false;
        const bool doubleClick = havePreviousPress_ && time - previousPressTime_ <= kDoubleClickMs &&
                                 std::abs(x - previousPressX_) <= kDoubleClickRadius &&
                                 std::abs(y - previousPressY_) <= kDoubleClickRadius;
        havePreviousPress_ = true;
        previousPressTime_ = time;
        previousPressX_ = x;
        previousPressY_ = y;
        return doubleClick;
    }

    // A release at (x, y): true if it ends a click, pressed and released over the picture.
    bool Release(int x, int y) {
        const bool click = pressedOverPicture_ && OverPicture(x, y);
        pressedOverPicture_ = false;
        return click;
    }

private:
    bool pressedOverPicture_ = false;
    bool havePreviousPress_ = false;
    Time previousPressTime_ = 0;
    int previousPressX_ = 0;
    int previousPressY_ = 0;
};
