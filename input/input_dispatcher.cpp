// Characters, clicks, double-clicks and moves recognised once for every platform, then handed to
// the handlers; activation and a close request go to the window's life.
#include "input/input_dispatcher.h"

#include <cstdint>
#include <cstdlib>

#include "input/picture1_handlers.h"
#include "input/picture_area.h"

void InputDispatcher::Dispatch(const InputEvent& event) {
    switch (event.kind) {
        case InputEvent::Kind::Character: OnCharacter(event.character); break;
        case InputEvent::Kind::PointerMove: OnMove(event); break;
        case InputEvent::Kind::LeftPress: OnPress(event); break;
        case InputEvent::Kind::LeftRelease: OnRelease(event); break;
        case InputEvent::Kind::Activated: activated_ = true; break;
        case InputEvent::Kind::CloseRequested: platform_.End(EndReason::WindowClosed);
    }
}

// The handler takes ESC and the printable ASCII characters, among them every command character.
// Nothing else reaches it: a wider character cut to its 16-bit code could pass for a command.
void InputDispatcher::OnCharacter(char32_t character) {
    constexpr char32_t kFirstPrintable = 0x20;
    constexpr char32_t kDelete = 0x7F;
    if (character == kKeyEscape || (character >= kFirstPrintable && character < kDelete))
        Picture1_KeyPress(state_, platform_, static_cast<std::int16_t>(character));
}

void InputDispatcher::OnMove(const InputEvent& event) {
    if (haveMove_ && event.x == lastMoveX_ && event.y == lastMoveY_) return;
    haveMove_ = true;
    lastMoveX_ = event.x;
    lastMoveY_ = event.y;
    // The handler's buttons and modifier keys are not read by it: the platforms do not report them.
    Picture1_MouseMove(state_, 0, 0, PictureX(event.x), PictureY(event.y));
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
