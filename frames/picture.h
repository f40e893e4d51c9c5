// A decoded frame: 8-bit palette indices plus the colour table they index.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB
    std::vector<std::uint8_t> pixels;          // width * height indices, top row first

    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
