// The eighteen frames of one crankshaft revolution: their holders and the frame table.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "frames/rle8_decoder.h"

inline constexpr int kFrameCount = 18;
inline constexpr int kFrameWidth = 800;
inline constexpr int kFrameHeight = 600;

// The frame files as built into the program, frame 1 first.
extern const std::array<std::span<const std::uint8_t>, kFrameCount> kEmbeddedFrameFiles;

// Image1 ... Image18: element k carries frame k + 1, as built into the program.
using FrameHolders = std::array<Picture, kFrameCount>;

// Slot k refers to the picture of the holder of frame k + 1; filled once by the playback loop.
using FrameTable = std::array<const Picture*, kFrameCount>;

// Reads every embedded frame into its holder, checking that it decodes cleanly. On failure
// reports the frame number (1-based).
struct FrameLoadResult {
    DecodeError error = DecodeError::None;
    int frameNumber = 0;
};
FrameLoadResult LoadFrameHolders(FrameHolders& holders);
