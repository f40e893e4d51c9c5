// The decoder's promises for any input, as the fuzz target and the corpus replay check them.
#include "tests/decoder_check.h"

#include <cstddef>
#include <vector>

#include "frames/pixel_sinks.h"

namespace {

// Smaller than most inputs, so that the clipping and the fills' spill at the area's edge are exercised.
constexpr int kAreaWidth = 37;
constexpr int kAreaHeight = 23;

}  // namespace

DecoderCheck CheckDecoder(std::span<const std::uint8_t> file) {
    IndexedImage image;
    const DecodeError error = DecodeRle8Bitmap(file, image);
    const std::size_t area = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (error == DecodeError::None ? image.pixels.size() != area || area == 0 : !image.pixels.empty())
        return {error, "a success without a whole picture, or a failure with one"};

    Picture picture;
    if ((ReadRle8Bitmap(file, picture) == DecodeError::None) != (error == DecodeError::None))
        return {error, "reading the picture and decoding it whole disagree"};
    if (error != DecodeError::None) return {error};
    // Exactly the area's pixels, so AddressSanitizer sees any write past it.
    std::vector<std::uint32_t> window(static_cast<std::size_t>(kAreaWidth) * kAreaHeight);
    ColourSink sink{window.data(), kAreaWidth, {kAreaWidth, kAreaHeight}, picture.palette};
    DrawPicture(picture, sink);
    for (int y = 0; y < kAreaHeight && y < image.height; ++y) {
        for (int x = 0; x < kAreaWidth && x < image.width; ++x) {
            if (window[static_cast<std::size_t>(y) * kAreaWidth + x] != picture.palette[image.At(x, y)])
                return {error, "the drawn area differs from the decoded picture"};
        }
    }
    return {error};
}
