// Where decoded runs go: an 8-bit image of palette indices, or an image of 8-, 16- or 32-bit pixels
// in a window's own pixel format. Both clip to their own size, so a frame can go into a smaller
// visible area.
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <tuple>

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

// A picture's colour table in a target's pixel format, one pixel value for each palette index.
template <class Pixel>
using ColourTable = std::array<Pixel, std::tuple_size_v<Palette>>;

// A run is one fill of its colour: the colour table is looked up once per run, not per pixel.
inline constexpr std::size_t kFillBytes = 32;  // stored at a time by a fill: eight 32-bit pixels
template <class Pixel>
struct ColourSinkOf {
    Pixel* pixels;
    std::ptrdiff_t stride;  // pixels from one row to the next
    SinkArea area;
    const ColourTable<Pixel>& colours;  // the picture's colour table in the target's pixel format

    Pixel* At(RunStart at) const { return pixels + at.row * stride + at.x; }
    // Runs are short and many, so a fill stores 32 bytes at a time and may spill past the run,
    // though never past the row: the decoder goes on along the row, overwriting the spill.
    void Fill(std::uint8_t index, RunStart at, int count) const {
        const int n = area.Clipped(at, count);
        if (n <= 0) return;
        Pixel* out = At(at);
        const Pixel colour = colours[index];
        constexpr int kChunk = static_cast<int>(kFillBytes / sizeof(Pixel));
        if (at.x + (n + kChunk - 1) / kChunk * kChunk > area.width) {
            std::fill_n(out, n, colour);
            return;
        }
        Pixel chunk[kChunk];
        std::fill_n(chunk, kChunk, colour);
        for (int i = 0; i < n; i += kChunk) std::memcpy(out + i, chunk, sizeof chunk);
    }
    void Copy(RunStart at, std::span<const std::uint8_t> indices) const {
        const int n = area.Clipped(at, static_cast<int>(indices.size()));
        Pixel* out = n > 0 ? At(at) : nullptr;
        for (int i = 0; i < n; ++i) out[i] = colours[indices[static_cast<std::size_t>(i)]];
    }
};

// A 32-bit image: TrueColor screens of depth 24 and 30, the browser's canvas, the tests' captures.
using ColourSink = ColourSinkOf<std::uint32_t>;

// Which palette indices a picture's pixels use.
struct IndexUsageSink {
    std::bitset<std::tuple_size_v<Palette>>& used;

    void Fill(std::uint8_t index, RunStart /*at*/, int /*count*/) const { used.set(index); }
    void Copy(RunStart /*at*/, std::span<const std::uint8_t> indices) const {
        for (const std::uint8_t index : indices) used.set(index);
    }
};
