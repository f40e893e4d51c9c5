// The minimal Xlib program's only use of the frames API: decoding frame 1 from the embedded files.
#include "bench/frame_one_pixels.h"

#include "frames/frame_set.h"

std::vector<std::uint32_t> FrameOnePixels(int width, int height) {
    Picture frame;
    if (DecodeRle8Bitmap(kEmbeddedFrameFiles[0], frame) != DecodeError::None) return {};
    if (width > frame.width || height > frame.height) return {};
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(frame.palette[frame.At(x, y)]);
    }
    return pixels;
}
