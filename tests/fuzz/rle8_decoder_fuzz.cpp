// libFuzzer target: the frame decoder must reject or decode any byte string without a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "frames/rle8_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IndexedImage picture;
    const DecodeError error = DecodeRle8Bitmap(std::span<const std::uint8_t>(data, size), picture);
    const std::size_t area = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    // A success must come with a whole picture; a failure with none.
    if (error == DecodeError::None ? picture.pixels.size() != area || area == 0 : !picture.pixels.empty())
        std::abort();
    return 0;
}
