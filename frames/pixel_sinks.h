// Where decoded runs go: an 8-bit image of palette indices, or a 32-bit image in a window's own
// pixel format. Both clip to their own size, so a frame can go into a smaller visible area.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "frames/picture.h"

// The part of a run of `count` pixels from (row, x) that lies inside a width x height image.
inline int ClippedCount(int row, int x, int count, int width, int height) {
    if (row >= height || x >= width) return 0;
    return std::min(count, width - x);
}

// Checks the data only: what ReadRle8Bitmap decodes into.
struct DiscardingSink {
    void Fill(int /*row*/, int /*x*/, int /*count*/, std::uint8_t /*index*/) {}
    void Copy(int /*row*/, int /*x*/, const std::uint8_t* /*indices*/, int /*count*/) {}
};

struct IndexSink {
    std::uint8_t* pixels;
    std::ptrdiff_t stride;  // bytes from one row to the next
    int width;
    int height;

    std::uint8_t* At(int row, int x) const { return pixels + row * stride + x; }
    void Fill(int row, int x, int count, std::uint8_t index) const {
        if (const int n = ClippedCount(row, x, count, width, height); n > 0)
            std::memset(At(row, x), index, static_cast<std::size_t>(n));
    }
    void Copy(int row, int x, const std::uint8_t* indices, int count) const {
        if (const int n = ClippedCount(row, x, count, width, height); n > 0)
            std::memcpy(At(row, x), indices, static_cast<std::size_t>(n));
    }
};

// A run is one fill of its colour: the colour table is looked up once per run, not per pixel.
struct ColourSink {
    std::uint32_t* pixels;
    std::ptrdiff_t stride;  // pixels from one row to the next
    int width;
    int height;
    const Palette& colours;  // the picture's colour table in the target's pixel format

    std::uint32_t* At(int row, int x) const { return pixels + row * stride + x; }
    // Runs are short and many, so a fill stores eight pixels at a time and may spill past the run,
    // though never past the row: the decoder goes on along the row, overwriting the spill.
    void Fill(int row, int x, int count, std::uint8_t index) const {
        const int n = ClippedCount(row, x, count, width, height);
        if (n <= 0) return;
        std::uint32_t* out = At(row, x);
        const std::uint32_t colour = colours[index];
        constexpr int kChunk = 8;
        if (x + (n + kChunk - 1) / kChunk * kChunk > width) {
            std::fill_n(out, n, colour);
            return;
        }
        std::uint32_t chunk[kChunk];
        std::fill_n(chunk, kChunk, colour);
        for (int i = 0; i < n; i += kChunk) std::memcpy(out + i, chunk, sizeof chunk);
    }
    void Copy(int row, int x, const std::uint8_t* indices, int count) const {
        const int n = ClippedCount(row, x, count, width, height);
        if (n <= 0) return;
        std::uint32_t* out = At(row, x);
        for (int i = 0; i < n; ++i) out[i] = colours[indices[i]];
    }
};
