// Fills the frame holders from the frames built into the program, checking each one whole.
#include "frames/frame_set.h"

FrameLoadResult LoadFrameHolders(FrameHolders& holders) {
    for (int k = 0; k < kFrameCount; ++k) {
        Picture& picture = holders[static_cast<std::size_t>(k)];
        DecodeError error = ReadRle8Bitmap(kEmbeddedFrameFiles[static_cast<std::size_t>(k)], picture);
        if (error == DecodeError::None && (picture.width != kFrameWidth || picture.height != kFrameHeight)) {
            picture = Picture{};
            error = DecodeError::BadHeader;
        }
        if (error != DecodeError::None) return {error, k + 1};
    }
    return {};
}
