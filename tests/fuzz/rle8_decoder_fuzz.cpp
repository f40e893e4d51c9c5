// libFuzzer target: the frame decoder must reject or decode any byte string without a fault, and a
// picture it accepts must draw into a window's smaller visible area without a write outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

// Smaller than most inputs, so that the clipping and the fills' spill at the area's edge are exercised.
constexpr int kAreaWidth = 37;
constexpr int kAreaHeight = 23;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    IndexedImage image;
    const DecodeError error = DecodeRle8Bitmap(file, image);
    const std::size_t area = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    // A success must come with a whole picture; a failure with none.
    if (error == DecodeError::None ? image.pixels.size() != area || area == 0 : !image.pixels.empty())
        std::abort();

    Picture picture;
    if ((ReadRle8Bitmap(file, picture) == DecodeError::None) != (error == DecodeError::None)) std::abort();
    if (error != DecodeError::None) return 0;
    // Exactly the area's pixels, so AddressSanitizer sees any write past it.
    std::vector<std::uint32_t> window(static_cast<std::size_t>(kAreaWidth) * kAreaHeight);
    ColourSink sink{window.data(), kAreaWidth, {kAreaWidth, kAreaHeight}, picture.palette};
    DrawPicture(picture, sink);
    for (int y = 0; y < kAreaHeight && y < image.height; ++y) {
        for (int x = 0; x < kAreaWidth && x < image.width; ++x) {
            if (window[static_cast<std::size_t>(y) * kAreaWidth + x] != picture.palette[image.At(x, y)]) std::abort();
        }
    }
    return 0;
}
