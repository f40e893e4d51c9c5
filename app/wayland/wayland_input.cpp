// Keyboard and pointer of a Wayland seat: keys typed as the keymap says, repeated as the compositor
// asks; the pointer in logical pixels of the picture, the left button with the event's time.
#include "app/wayland/wayland_input.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <ctime>

namespace {

constexpr std::int32_t kNanosecondsPerMs = 1'000'000;
constexpr std::int32_t kMsPerSecond = 1000;
// Repeats that came due while the program was busy are typed, but not more than this many at once.
constexpr std::uint64_t kMostRepeatsAtOnce = 8;

WaylandInput& InputOf(void* data) { return *static_cast<WaylandInput*>(data); }

timespec FromMs(std::int32_t ms) {
    return {ms / kMsPerSecond, static_cast<long>(ms % kMsPerSecond) * kNanosecondsPerMs};
}

// The listeners take the protocol's events as they come, arguments in the protocol's order.
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
constexpr wl_keyboard_listener kKeyboardListener{
    .keymap = [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                 std::uint32_t size) { InputOf(data).OnKeymap(format, fd, size); },
    .enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    .leave = [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) { InputOf(data).OnKeyboardLeave(); },
    .key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
              std::uint32_t state) { InputOf(data).OnKey(key, state); },
    .modifiers = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                    std::uint32_t locked,
                    std::uint32_t group) { InputOf(data).OnModifiers(depressed, latched, locked, group); },
    .repeat_info = [](void* data, wl_keyboard*, std::int32_t rate,
                      std::int32_t delay) { InputOf(data).OnRepeatInfo(rate, delay); },
};

constexpr wl_pointer_listener kPointerListener{
    .enter = [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x,
                wl_fixed_t y) { InputOf(data).OnPointerEnter(surface, wl_fixed_to_int(x), wl_fixed_to_int(y)); },
    .leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface*) { InputOf(data).OnPointerLeave(); },
    .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x,
                 wl_fixed_t y) { InputOf(data).OnPointerMotion(wl_fixed_to_int(x), wl_fixed_to_int(y)); },
    .button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t time, std::uint32_t button,
                 std::uint32_t state) { InputOf(data).OnButton(time, button, state); },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

constexpr wl_seat_listener kSeatListener{
    .capabilities = [](void* data, wl_seat*, std::uint32_t capabilities) { InputOf(data).OnCapabilities(capabilities); },
    .name = [](void*, wl_seat*, const char*) {},
};
// NOLINTEND(bugprone-easily-swappable-parameters)

}  // namespace

WaylandInput::~WaylandInput() {
    if (repeatTimer_ >= 0) close(repeatTimer_);
    ForgetKeymap();
    if (xkb_ != nullptr) xkb_context_unref(xkb_);
}

// A keyboard that goes takes its layout and held modifiers with it; the next one sends its own.
void WaylandInput::ForgetKeymap() {
    if (keys_ != nullptr) xkb_state_unref(keys_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    keys_ = nullptr;
    keymap_ = nullptr;
}

void WaylandInput::Attach(wl_seat* seat) {
    seat_ = seat;
    xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    repeatTimer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    wl_seat_add_listener(seat, &kSeatListener, this);
}

// Each change is taken as it comes, even several in one dispatch: the compositor stops sending to a
// keyboard or pointer it has taken away, so the one it adds again must be asked for anew.
void WaylandInput::OnCapabilities(std::uint32_t capabilities) {
    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (hasKeyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!hasKeyboard && keyboard_ != nullptr) {
        StopRepeat();
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
        ForgetKeymap();
    }
    if (hasPointer && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!hasPointer && pointer_ != nullptr) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
        overPicture_ = false;
    }
}

void WaylandInput::OnKeymap(std::uint32_t format, int fd, std::uint32_t size) {
    void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                                                            : MAP_FAILED;
    close(fd);
    if (text == MAP_FAILED || xkb_ == nullptr) return;
    // The text ends in a NUL within `size`.
    xkb_keymap* keymap = xkb_keymap_new_from_string(xkb_, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (keymap == nullptr) return;
    StopRepeat();
    ForgetKeymap();
    keymap_ = keymap;
    keys_ = xkb_state_new(keymap_);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void WaylandInput::OnModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                               std::uint32_t group) {
    if (keys_ != nullptr) xkb_state_update_mask(keys_, depressed, latched, locked, 0, 0, group);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void WaylandInput::OnRepeatInfo(std::int32_t rate, std::int32_t delay) {
    repeatRate_ = rate;
    repeatDelay_ = delay;
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void WaylandInput::OnKey(std::uint32_t key, std::uint32_t state) {
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
        if (repeating_ && key == repeatingKey_) StopRepeat();
        return;
    }
    Type(key);
    if (keymap_ == nullptr || repeatRate_ <= 0 || xkb_keymap_key_repeats(keymap_, key + 8) == 0) return;
    // As under X11: the held key types again after the delay, then `repeatRate_` times a second.
    itimerspec due{FromMs(kMsPerSecond / repeatRate_), FromMs(std::max(repeatDelay_, 1))};
    timerfd_settime(repeatTimer_, 0, &due, nullptr);
    repeatingKey_ = key;
    repeating_ = true;
}

void WaylandInput::Repeat() {
    std::uint64_t due = 0;
    if (read(repeatTimer_, &due, sizeof due) != static_cast<ssize_t>(sizeof due) || !repeating_) return;
    for (std::uint64_t i = 0; i < std::min(due, kMostRepeatsAtOnce); ++i) Type(repeatingKey_);
}

void WaylandInput::OnKeyboardLeave() { StopRepeat(); }

void WaylandInput::StopRepeat() {
    repeating_ = false;
    if (repeatTimer_ < 0) return;
    const itimerspec off{};
    timerfd_settime(repeatTimer_, 0, &off, nullptr);
}

// The character the key types in whatever layout the keyboard has, control characters included
// (ESC types 27); a key that types none (Shift, an arrow) reports nothing. Evdev key codes are the
// keymap's minus 8.
void WaylandInput::Type(std::uint32_t key) {
    if (keys_ == nullptr) return;
    if (const char32_t typed = xkb_state_key_get_utf32(keys_, key + 8); typed != 0)
        input_.Dispatch(InputEvent::Typed(typed));
}

void WaylandInput::OnPointerEnter(const wl_surface* surface, int x, int y) {
    overPicture_ = surface == picture_;
    // A window that appears under the pointer, or that the pointer enters, gets a move there.
    if (overPicture_) OnPointerMotion(x, y);
}

void WaylandInput::OnPointerLeave() { overPicture_ = false; }

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void WaylandInput::OnPointerMotion(int x, int y) {
    if (!overPicture_) return;
    pointerX_ = x - originX_;
    pointerY_ = y - originY_;
    input_.Dispatch(InputEvent::Moved(pointerX_, pointerY_));
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the protocol event's fields, in its order
void WaylandInput::OnButton(std::uint32_t time, std::uint32_t button, std::uint32_t state) {
    if (!overPicture_ || button != BTN_LEFT) return;
    // The compositor's milliseconds, which wrap at 32 bits.
    input_.Dispatch(state == WL_POINTER_BUTTON_STATE_PRESSED ? InputEvent::Pressed(pointerX_, pointerY_, time)
                                                             : InputEvent::Released(pointerX_, pointerY_, time));
}
