// What a platform layer reports, in neutral terms: typed characters, pointer moves and the left
// button at pixels of the picture area with the platform's own event times, and the window's
// activation and close requests.
#pragma once

#include <cstdint>

// The code ESC types; with the printable characters, the only one the picture area takes.
inline constexpr char32_t kKeyEscape = 27;

// Event times are the platform's milliseconds as an unsigned 32-bit count, which may wrap
// (the X server's and Wayland's times, Windows' message time; the browser's, truncated).
using EventTime = std::uint32_t;

struct InputEvent {
    enum class Kind : std::uint8_t { Character, PointerMove, LeftPress, LeftRelease, Activated, CloseRequested };
    Kind kind = Kind::Character;
    char32_t character = 0;  // Character: the Unicode character typed, control characters included
    int x = 0;               // pointer events: the pixel, from Picture1's top-left corner
    int y = 0;
    EventTime time = 0;      // LeftPress and LeftRelease

    static constexpr InputEvent Typed(char32_t character) { return {.kind = Kind::Character, .character = character}; }
    static constexpr InputEvent Moved(int x, int y) { return {.kind = Kind::PointerMove, .x = x, .y = y}; }
    static constexpr InputEvent Pressed(int x, int y, EventTime time) {
        return {.kind = Kind::LeftPress, .x = x, .y = y, .time = time};
    }
    static constexpr InputEvent Released(int x, int y, EventTime time) {
        return {.kind = Kind::LeftRelease, .x = x, .y = y, .time = time};
    }
    // The window became the active one (it has the keyboard focus).
    static constexpr InputEvent Activated() { return {.kind = Kind::Activated}; }
    // The close box, or the window manager's or compositor's close.
    static constexpr InputEvent CloseRequested() { return {.kind = Kind::CloseRequested}; }
};
