// The frame file format: a BI_RLE8 Windows bitmap with the 3-3-2 colour table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framegen {

// Entry k of the 3-3-2 colour cube as 0x00RRGGBB (red k/32, green (k/4)%8, blue k%4).
std::uint32_t PaletteColour(int index);

// RLE8-encodes an 8-bit image given top row first; the data runs bottom-up. Uses only encoded
// runs (1..255), absolute runs (3..254, padded to 16 bits), end of line and end of bitmap.
std::vector<std::uint8_t> EncodeRle8(const std::vector<std::uint8_t>& pixels, int width, int height);

// A complete bitmap file: 14 + 40 byte headers, the colour table stored blue, green, red, 0,
// then the encoded data at offset 1078. Colours used 256, important 0, resolution 0.
std::vector<std::uint8_t> MakeRle8Bitmap(const std::vector<std::uint8_t>& pixels, int width, int height);

// Writes bytes to a file; throws std::runtime_error on failure.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace framegen
