// Clicks, double-clicks and moves recognised once for every platform, then handed to the handlers.
#include "input/input_dispatcher.h"

#include <cstdlib>

#include "input/picture1_handlers.h"
#include "input/picture_area.h"

void InputDispatcher::Dispatch(const InputEvent& event) {
    switch (event.kind) {
        case InputEvent::Kind::Character: Picture1_KeyPress(state_, platform_, event.character); break;
        case InputEvent::Kind::PointerMove: OnMove(event); break;
        case InputEvent::Kind::LeftPress: OnPress(event); break;
        case InputEvent::Kind::LeftRelease: OnRelease(event); break;
    }
}

void InputDispatcher::OnMove(const InputEvent& event) {
    if (haveMove_ && event.x == lastMoveX_ && event.y == lastMoveY_) return;
    haveMove_ = true;
    lastMoveX_ = event.x;
    lastMoveY_ = event.y;
    Picture1_MouseMove(state_, event.buttons, event.modifiers, PictureX(event.x), PictureY(event.y));
}

void InputDispatcher::OnPress(const InputEvent& event) {
    pressedOverPicture_ = OverPicture(event.x, event.y);
    if (!pressedOverPicture_) return;
    // Unsigned difference: a time that wrapped since the previous press still counts.
    const bool doubleClick = havePreviousPress_ && event.time - previousPressTime_ <= doubleClickMs_ &&
                             std::abs(event.x - previousPressX_) <= kDoubleClickRadius &&
                             std::abs(event.y - previousPressY_) <= kDoubleClickRadius;
    havePreviousPress_ = true;
    previousPressTime_ = event.time;
    previousPressX_ = event.x;
    previousPressY_ = event.y;
    if (doubleClick) Picture1_DblClick(platform_);
}

void InputDispatcher::OnRelease(const InputEvent& event) {
    const bool click = pressedOverPicture_ && OverPicture(event.x, event.y);
    pressedOverPicture_ = false;
    if (click) Picture1_Click(state_);
}
