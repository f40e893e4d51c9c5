// Where decoded runs go: an 8-bit image of palette indices, or a 32-bit image in a window's own
// pixel format. Both clip to their own size, so a frame can go into a smaller visible area.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "frames/picture.h"
#include "frames/rle8_decoder.h"

// The size of a sink's image: what lies outside it is not written.
struct SinkArea {
    int width;
    int height;

    // How many pixels of a run of `count` from `at` lie inside the area.
    int Clipped(RunStart at, int count) const {
        if (at.row >= height || at.x >= width) return 0;
        return std::min(count, width - at.x);
    }
};

// Checks the data only: what ReadRle8Bitmap decodes into.
struct DiscardingSink {
    void Fill(std::uint8_t /*index*/, RunStart /*at*/, int /*count*/) {}
    void Copy(RunStart /*at*/, std::span<const std::uint8_t> /*indices*/) {}
};

struct IndexSink {
    std::uint8_t* pixels;
    std::ptrdiff_t stride;  // bytes from one row to the next
    SinkArea area;

    std::uint8_t* At(RunStart at) const { return pixels + at.row * stride + at.x; }
    void Fill(std::uint8_t index, RunStart at, int count) const {
        if (const int n = area.Clipped(at, count); n > 0) std::memset(At(at), index, static_cast<std::size_t>(n));
    }
    void Copy(RunStart at, std::span<const std::uint8_t> indices) const {
        if (const int n = area.Clipped(at, static_cast<int>(indices.size())); n > 0)
            std::memcpy(At(at), indices.data(), static_cast<std::size_t>(n));
    }
};

// A run is one fill of its colour: the colour table is looked up once per run, not per pixel.
struct ColourSink {
    std::uint32_t* pixels;
    std::ptrdiff_t stride;  // pixels from one row to the next
    SinkArea area;
    const Palette& colours;  // the picture's colour table in the target's pixel format

    std::uint32_t* At(RunStart at) const { return pixels + at.row * stride + at.x; }
    // Runs are short and many, so a fill stores eight pixels at a time and may spill past the run,
    // though never past the row: the decoder goes on along the row, overwriting the spill.
    void Fill(std::uint8_t index, RunStart at, int count) const {
        const int n = area.Clipped(at, count);
        if (n <= 0) return;
        std::uint32_t* out = At(at);
        const std::uint32_t colour = colours[index];
        constexpr int kChunk = 8;
        if (at.x + (n + kChunk - 1) / kChunk * kChunk > area.width) {
            std::fill_n(out, n, colour);
            return;
        }
        std::uint32_t chunk[kChunk];
        std::fill_n(chunk, kChunk, colour);
        for (int i = 0; i < n; i += kChunk) std::memcpy(out + i, chunk, sizeof chunk);
    }
    void Copy(RunStart at, std::span<const std::uint8_t> indices) const {
        const int n = area.Clipped(at, static_cast<int>(indices.size()));
        std::uint32_t* out = n > 0 ? At(at) : nullptr;
        for (int i = 0; i < n; ++i) out[i] = colours[indices[static_cast<std::size_t>(i)]];
    }
};
