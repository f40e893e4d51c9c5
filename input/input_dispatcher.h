// The one way input reaches the picture area's handlers, on every platform: it keeps the typed
// characters the handlers take, recognises clicks and double-clicks, and turns each neutral event
// into the handler call it stands for.
#pragma once

#include "input/input_events.h"
#include "playback/platform.h"
#include "playback/playback_state.h"

// Two presses of the left button this close in time (unless the platform has its own setting)
// and place make a double-click.
inline constexpr EventTime kDefaultDoubleClickMs = 500;
inline constexpr int kDoubleClickRadius = 4;

class InputDispatcher {
public:
    InputDispatcher(PlaybackState& state, Platform& platform, EventTime doubleClickMs = kDefaultDoubleClickMs)
        : state_(state), platform_(platform), doubleClickMs_(doubleClickMs) {}

    // Runs the handler the event stands for, if any; may end the program through the platform.
    void Dispatch(const InputEvent& event);

    // The window has been the active window at least once: its life may go on to the playback.
    bool Activated() const { return activated_; }

private:
    void OnCharacter(char32_t character);
    void OnMove(const InputEvent& event);
    void OnPress(const InputEvent& event);
    void OnRelease(const InputEvent& event);

    PlaybackState& state_;
    Platform& platform_;
    EventTime doubleClickMs_;
    bool activated_ = false;

    // A move to where the pointer already was reports nothing new (entering, then moving there).
    bool haveMove_ = false;
    int lastMoveX_ = 0;
    int lastMoveY_ = 0;

    // A click is a press and a release, both over the picture; a press beside it is not the
    // window's: it starts nothing and is not remembered.
    bool pressedOverPicture_ = false;
    bool havePreviousPress_ = false;
    EventTime previousPressTime_ = 0;
    int previousPressX_ = 0;
    int previousPressY_ = 0;
};
