// How the test screen shows colours, so that a capture compares exactly with the frames at any
// depth: both become the screen's own levels of red, green and blue, each frame colour at the
// nearest levels the screen has.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Pixels of a capture that are not the program's: a compositor's pointer drawn over the picture.
struct CoveredBox {
    int left = 0;
    int top = 0;
    int right = 0;   // one past the last column
    int bottom = 0;  // one past the last row
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// A screenshot of a window, top row first: each pixel's colour as the screen's levels of red, green
// and blue, packed from the high bits down (on a 24-bit screen 0x00RRGGBB).
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::optional<CoveredBox> covered;  // left out of every comparison
};

// Xlib's types; its headers stay out of here, whose macros (None) clash with the frames' names.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct _XImage;    // NOLINT(bugprone-reserved-identifier): Xlib's own name

class ScreenColours {
public:
    // 8 bits a channel, as a 24-bit screen.
    ScreenColours() = default;
    // The default visual of `display`'s default screen: TrueColor by its masks, or indexed.
    static ScreenColours Of(_XDisplay* display);

    // The screen's nearest colour to `rgb` (0x00RRGGBB): what a frame's colour looks like there.
    std::uint32_t Shown(std::uint32_t rgb) const;
    // The colours that a captured image's pixels show: through the masks, or on an indexed
    // screen through the colormap installed now (what the screen shows, whoever installed it).
    Capture ToColours(_XDisplay* display, _XImage* image) const;

private:
    struct Channel {
        int shift = 0;                // in a pixel (TrueColor)
        std::uint32_t levels = 0xFF;  // the largest value: 31 for 5 bits, 1023 for 10
        int packedAt = 0;             // in a Capture's colour
    };
    std::uint32_t Packed(const std::array<std::uint32_t, 3>& levels) const;
    std::array<std::uint32_t, 256> InstalledColours(_XDisplay* display, int depth) const;

    bool indexed_ = false;
    std::array<Channel, 3> channels_{{{16, 0xFF, 16}, {8, 0xFF, 8}, {0, 0xFF, 0}}};  // red, green, blue
};
