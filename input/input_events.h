// The input a platform layer reports, in neutral terms: typed characters, pointer moves and the
// left button, at pixels of the picture area and at the platform's own event times.
#pragma once

#include <cstdint>

// Key codes for keys that type no printable character; ESC is the only one that acts.
inline constexpr std::int16_t kKeyEscape = 27;
inline constexpr std::int16_t kKeyBackspace = 8;
inline constexpr std::int16_t kKeyTab = 9;
inline constexpr std::int16_t kKeyEnter = 13;

// The `buttons` and `modifiers` bits of a pointer move.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;
inline constexpr std::int16_t kShiftDown = 1;
inline constexpr std::int16_t kCtrlDown = 2;
inline constexpr std::int16_t kAltDown = 4;

// Event times are the platform's milliseconds as an unsigned 32-bit count, which may wrap
// (the X server's and Wayland's times, Windows' message time; the browser's, truncated).
using EventTime = std::uint32_t;

struct InputEvent {
    enum class Kind : std::uint8_t { Character, PointerMove, LeftPress, LeftRelease };
    Kind kind = Kind::Character;
    std::int16_t character = 0;  // Character: the typed character, or one of the key codes above
    int x = 0;                   // pointer events: the pixel, from Picture1's top-left corner
    int y = 0;
    std::int16_t buttons = 0;    // PointerMove: the buttons and modifier keys held
    std::int16_t modifiers = 0;
    EventTime time = 0;          // LeftPress and LeftRelease

    static constexpr InputEvent Typed(std::int16_t character) { return {.kind = Kind::Character, .character = character}; }
    static constexpr InputEvent Moved(int x, int y, std::int16_t buttons, std::int16_t modifiers) {
        return {.kind = Kind::PointerMove, .x = x, .y = y, .buttons = buttons, .modifiers = modifiers};
    }
    static constexpr InputEvent Pressed(int x, int y, EventTime time) {
        return {.kind = Kind::LeftPress, .x = x, .y = y, .time = time};
    }
    static constexpr InputEvent Released(int x, int y, EventTime time) {
        return {.kind = Kind::LeftRelease, .x = x, .y = y, .time = time};
    }
};
