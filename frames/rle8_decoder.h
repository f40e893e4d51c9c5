// The one strict decoder for 8-bit run-length-encoded Windows bitmaps, used on every platform.
// Its only variable part is the pixel sink that the decoded runs go to (see pixel_sinks.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "frames/picture.h"

enum class DecodeError {
    None,
    Truncated,           // shorter than its headers say
    BadHeader,           // not a bottom-up, 8-bit, RLE8 Windows bitmap with a 40-byte info header
    RunPastRow,          // a run writes beyond the end of its row
    RunPastImage,        // a run writes above the top row
    DeltaOutsideImage,   // a delta jumps outside the image
    MissingEndOfBitmap,  // the data ends without the end-of-bitmap code
};

const char* DescribeDecodeError(DecodeError error);

// Largest width or height accepted, so that a hostile header cannot ask for gigabytes.
inline constexpr int kMaxBitmapSide = 4096;

// Where a run starts in the image: its row, counted from the top, and its first column.
struct RunStart {
    int row;
    int x;
};

// The size of a bitmap in pixels.
struct BitmapSize {
    int width;
    int height;
};

// Decodes the RLE8 pixel data of a bitmap of `size` into `sink`, which takes
//   Fill(index, at, count)  `count` pixels of one palette index, and
//   Copy(at, indices)       pixels given one by one,
// every call inside the bitmap. Every pixel is handed to the
// sink exactly once, row by row from the bottom and each row from left to right; pixels the data
// skips (delta, end of line) as index 0. Nothing is read or
// written out of bounds, whatever the data; on an error the sink may have had part of the image.
template <class Sink>
DecodeError DecodeRle8Runs(std::span<const std::uint8_t> data, BitmapSize size, Sink& sink) {
    // Escape codes, following a zero count byte.
    constexpr std::uint8_t kEndOfLine = 0;
    constexpr std::uint8_t kEndOfBitmap = 1;
    constexpr std::uint8_t kDelta = 2;

    const int width = size.width;
    const int height = size.height;
    std::size_t at = 0;
    int x = 0;
    int row = 0;  // from the bottom, as the data runs
    auto start = [height](int fromBottom, int column) { return RunStart{height - 1 - fromBottom, column}; };
    auto skipRestOfRow = [&] {
        if (row < height && x < width) sink.Fill(0, start(row, x), width - x);
    };
    auto skipRows = [&](int first, int end) {
        for (int r = first; r < end; ++r) sink.Fill(0, start(r, 0), width);
    };

    while (data.size() - at >= 2) {
        const int count = data[at];
        const std::uint8_t code = data[at + 1];
        at += 2;
        if (count > 0) {
            if (row >= height) return DecodeError::RunPastImage;
            if (x + count > width) return DecodeError::RunPastRow;
            sink.Fill(code, start(row, x), count);
            x += count;
        } else if (code == kEndOfLine) {
            skipRestOfRow();
            x = 0;
            ++row;
        } else if (code == kEndOfBitmap) {
            skipRestOfRow();
            skipRows(row + 1, height);
            return DecodeError::None;
        } else if (code == kDelta) {
            if (data.size() - at < 2) return DecodeError::MissingEndOfBitmap;
            const int dx = data[at];
            const int dy = data[at + 1];
            at += 2;
            if (x + dx > width || row + dy >= height) return DecodeError::DeltaOutsideImage;
            if (dy == 0) {
                if (dx > 0) sink.Fill(0, start(row, x), dx);
                x += dx;
                continue;
            }
            skipRestOfRow();
            skipRows(row + 1, row + dy);
            row += dy;
            x += dx;
            if (x > 0) sink.Fill(0, start(row, 0), x);
        } else {
            const std::size_t padded = code + (code & 1U);  // absolute runs keep 16-bit alignment
            if (data.size() - at < padded) return DecodeError::MissingEndOfBitmap;
            if (row >= height) return DecodeError::RunPastImage;
            if (x + code > width) return DecodeError::RunPastRow;
            sink.Copy(start(row, x), data.subspan(at, code));
            x += code;
            at += padded;
        }
    }
    return DecodeError::MissingEndOfBitmap;
}

// Reads the headers and colour table of a bitmap file and checks that its pixel data decodes
// cleanly; `out` then refers to that data inside `file`. On error `out` is left empty.
DecodeError ReadRle8Bitmap(std::span<const std::uint8_t> file, Picture& out);

// Decodes a bitmap file whole into palette indices. On error `out` is left empty.
DecodeError DecodeRle8Bitmap(std::span<const std::uint8_t> file, IndexedImage& out);

// Decodes a picture that ReadRle8Bitmap has checked into `sink`.
template <class Sink>
void DrawPicture(const Picture& picture, Sink& sink) {
    static_cast<void>(DecodeRle8Runs(picture.runs, {picture.width, picture.height}, sink));
}
