// Nearest-neighbour enlargement in place: a picture decoded at 1x into the top-left corner of a
// larger image becomes whole-number blocks, for screens that draw N device pixels per pixel.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "frames/rle8_decoder.h"  // BitmapSize

// The whole factor a picture is enlarged by where a screen has `devicePixelsPerPixel` device pixels
// to one of its pixels: the largest that fits, and never below 1. Whole, so that every picture pixel
// is a block of one colour: 1.5 gives 1 (the picture at its own size), not a blurred 1.5.
inline int WholeFactor(double devicePixelsPerPixel) {
    // A ratio a hair under a whole number (1.9999 from rounding) is that number.
    constexpr double kRoundingSlack = 1e-6;
    if (!(devicePixelsPerPixel >= 1)) return 1;
    return static_cast<int>(std::floor(devicePixelsPerPixel + kRoundingSlack));
}

// Makes each pixel of the `picture`-sized area at the image's top-left corner a `factor` x `factor`
// block, filling `factor` times its width and height of the image (`stride` pixels a row). Works
// from the last row and column back, so no source pixel is overwritten before it is read.
inline void EnlargeInPlace(std::uint32_t* pixels, std::ptrdiff_t stride, BitmapSize picture, int factor) {
    if (factor <= 1) return;
    const auto [width, height] = picture;
    for (int y = height - 1; y >= 0; --y) {
        const std::uint32_t* source = pixels + y * stride;
        std::uint32_t* target = pixels + static_cast<std::ptrdiff_t>(y) * factor * stride;
        for (int x = width - 1; x >= 0; --x) std::fill_n(target + static_cast<std::ptrdiff_t>(x) * factor, factor, source[x]);
        const std::size_t rowPixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(factor);
        for (int copy = 1; copy < factor; ++copy) std::copy_n(target, rowPixels, target + copy * stride);
    }
}
