// A frame as its holder carries it: the colour table and the checked RLE8 data, decoded only when
// shown, straight into the window's own image.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

using Palette = std::array<std::uint32_t, 256>;  // 0x00RRGGBB

struct Picture {
    int width = 0;
    int height = 0;
    Palette palette{};
    std::span<const std::uint8_t> runs;  // the bitmap's RLE8 pixel data, known to decode cleanly
};

// A whole frame decoded to palette indices, top row first: for tools, tests and 8-bit targets.
struct IndexedImage {
    int width = 0;
    int height = 0;
    Palette palette{};
    std::vector<std::uint8_t> pixels;  // width * height indices

    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
