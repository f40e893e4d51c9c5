// Draws one frame with Cairo and maps it to the nine palette indices.
#pragma once

#include <cstdint>
#include <vector>

#include "kinematics.h"

namespace framegen {

// The nine palette entries that occur in the pictures.
enum PaletteIndex : std::uint8_t {
    kWhite = 255,
    kNearBlack = 32,
    kBlue = 3,
    kRed = 224,
    kTeal = 18,
    kLightBlue = 219,
    kGreen = 28,
    kOrange = 244,
    kOlive = 149,
};

// Frame n (1-based) as 800 x 600 palette indices, top row first. Throws std::runtime_error if
// any pixel is not exactly one of the nine colours.
std::vector<std::uint8_t> DrawFrame(const Dimensions& dims, int frame);

}  // namespace framegen
