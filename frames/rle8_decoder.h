// The one strict decoder for 8-bit run-length-encoded Windows bitmaps, used on every platform.
#pragma once

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

// Decodes `file` into `out`. Pixels the data skips (delta, end of line) are index 0.
// On error `out` is left empty.
DecodeError DecodeRle8Bitmap(std::span<const std::uint8_t> file, Picture& out);
