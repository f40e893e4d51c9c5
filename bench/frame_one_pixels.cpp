// The minimal Xlib program's only use of the frames API: decoding frame 1 from the embedded files.
#include "bench/frame_one_pixels.h"

#include "frames/frame_set.h"
#include "frames/pixel_sinks.h"

std::vector<std::uint32_t> FrameOnePixels(int width, int height) {
    Picture frame;
    if (ReadRle8Bitmap(kEmbeddedFrameFiles[0], frame) != DecodeError::None) return {};
    if (width > frame.width || height > frame.height) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ColourSink sink{pixels.data(), width, {width, height}, frame.palette};
    DrawPicture(frame, sink);
    return pixels;
}
