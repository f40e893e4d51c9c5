// A screen's pixel format: which pixel value shows a colour, exactly where the screen can and as
// the nearest it has where it cannot. TrueColor screens by their channel masks, indexed ones
// (PseudoColor and the like) by the colours allocated in their colormap.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.h"

// Where red, green and blue go in a TrueColor pixel: each a contiguous run of bits. The bits of
// `opaque` are set in every pixel: an alpha channel at full opacity, for targets that read one
// (a canvas's RGBA, a compositor that takes XRGB's spare byte for opacity).
struct ChannelMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
    std::uint32_t opaque = 0;
};

// A colour allocated in an indexed screen's colormap, and the pixel that shows it.
struct AllocatedColour {
    std::uint32_t rgb;  // 0x00RRGGBB, as the colormap holds it
    std::uint32_t pixel;
};

class PixelFormat {
public:
    // 8 bits per channel in 0x00RRGGBB order, as a 24-bit screen and Windows' RGBQUAD have them.
    PixelFormat() : PixelFormat(ChannelMasks{0xFF0000, 0x00FF00, 0x0000FF}) {}

    // Each channel rounded to the nearest of its levels.
    static PixelFormat TrueColour(ChannelMasks masks);
    // A colour found among `allocated` as it is, any other as the nearest of them.
    static PixelFormat Indexed(std::span<const AllocatedColour> allocated);

    std::uint32_t PixelOf(std::uint32_t rgb) const;

    // A picture's colour table in this format; Pixel wide enough for the screen's pixels.
    template <class Pixel>
    void Convert(const Palette& palette, std::array<Pixel, std::tuple_size_v<Palette>>& out) const {
        for (std::size_t i = 0; i < palette.size(); ++i) out[i] = static_cast<Pixel>(PixelOf(palette[i]));
    }

private:
    explicit PixelFormat(ChannelMasks masks);
    std::uint32_t Nearest(std::uint32_t rgb) const;

    using ChannelPixels = std::array<std::uint32_t, 256>;  // 8-bit channel value -> its bits in a pixel

    bool indexed_ = false;
    std::uint32_t opaque_ = 0;
    std::array<ChannelPixels, 3> channelPixels_{};  // red, green, blue
    std::array<AllocatedColour, std::tuple_size_v<Palette>> allocated_{};  // sorted by colour
    std::size_t allocatedCount_ = 0;
};

// The distinct colours that the pixels of `pictures` use, in the order first met: the ones an
// indexed screen must allocate.
std::vector<std::uint32_t> ColoursUsed(std::span<const Picture> pictures);
