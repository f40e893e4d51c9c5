// The seat of a Wayland session: keyboard through libxkbcommon with the compositor's key repeat,
// and the pointer over the picture, turned into neutral input events.
#pragma once

#include <cstdint>

#include "input/input_dispatcher.h"

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_surface;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

class WaylandInput {
public:
    explicit WaylandInput(InputDispatcher& input) : input_(input) {}
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;
    ~WaylandInput();

    // Listens to the seat for the keyboard and pointer it has, or gets later.
    void Attach(wl_seat* seat);
    // Pointer events count only over the picture's surface, not over the title bar's.
    void SetPicture(const wl_surface* picture) { picture_ = picture; }
    // Where the picture's top-left corner is on its surface, in logical pixels: pointer positions
    // are reported from there.
    void SetPictureOrigin(int x, int y) {  // NOLINT(bugprone-easily-swappable-parameters): x, then y
        originX_ = x;
        originY_ = y;
    }
    // Types the held key once for each repeat that has come due (without waiting).
    void Repeat();

    // The seat's listeners, which run these.
    void OnCapabilities(std::uint32_t capabilities);
    void OnKeymap(std::uint32_t format, int fd, std::uint32_t size);
    void OnKey(std::uint32_t key, std::uint32_t state);
    void OnModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
    void OnRepeatInfo(std::int32_t rate, std::int32_t delay);
    void OnKeyboardLeave();
    void OnPointerEnter(const wl_surface* surface, int x, int y);
    void OnPointerLeave();
    void OnPointerMotion(int x, int y);
    void OnButton(std::uint32_t time, std::uint32_t button, std::uint32_t state);

private:
    void Type(std::uint32_t key);
    void StopRepeat();
    void ForgetKeymap();

    InputDispatcher& input_;
    const wl_surface* picture_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keys_ = nullptr;
    int repeatTimer_ = -1;
    std::int32_t repeatRate_ = 0;  // keys a second; 0: no repeat
    std::int32_t repeatDelay_ = 0;  // milliseconds before the first repeat
    std::uint32_t repeatingKey_ = 0;
    bool repeating_ = false;
    bool overPicture_ = false;
    int originX_ = 0;
    int originY_ = 0;
    int pointerX_ = 0;  // picture pixels
    int pointerY_ = 0;
};
