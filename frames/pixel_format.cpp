// Colour to pixel, for TrueColor channel masks and for colours allocated in a colormap.
#include "frames/pixel_format.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>

#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

constexpr std::uint32_t kByteMax = 0xFF;

constexpr std::uint32_t ChannelOfRgb(std::uint32_t rgb, int channel) { return (rgb >> (16 - 8 * channel)) & kByteMax; }

}  // namespace

// Each channel's 256 values worked out once: a picture's colour table is converted at every show.
PixelFormat::PixelFormat(ChannelMasks masks) : opaque_(masks.opaque) {
    const std::array<std::uint32_t, 3> channelMasks = {masks.red, masks.green, masks.blue};
    for (std::size_t c = 0; c < channelMasks.size(); ++c) {
        const std::uint32_t mask = channelMasks[c];
        const int shift = mask == 0 ? 0 : std::countr_zero(mask);
        const std::uint64_t levels = mask >> shift;  // the bits are contiguous: 31 for 5 bits, 1023 for 10
        for (std::uint32_t value = 0; value <= kByteMax; ++value) {
            // Rounded, not cut: 160 in five bits is 19 (156.3 shown), not 20 (164.5).
            const std::uint64_t level = (value * levels + kByteMax / 2) / kByteMax;
            channelPixels_[c][value] = static_cast<std::uint32_t>(level << shift);
        }
    }
}

PixelFormat PixelFormat::TrueColour(ChannelMasks masks) { return PixelFormat(masks); }

PixelFormat PixelFormat::Indexed(std::span<const AllocatedColour> allocated) {
    PixelFormat format{ChannelMasks{}};
    format.indexed_ = true;
    format.allocatedCount_ = std::min(allocated.size(), format.allocated_.size());
    const auto end = std::copy_n(allocated.begin(), format.allocatedCount_, format.allocated_.begin());
    std::sort(format.allocated_.begin(), end, [](AllocatedColour a, AllocatedColour b) { return a.rgb < b.rgb; });
    return format;
}

std::uint32_t PixelFormat::PixelOf(std::uint32_t rgb) const {
    if (indexed_) return Nearest(rgb);
    return channelPixels_[0][ChannelOfRgb(rgb, 0)] | channelPixels_[1][ChannelOfRgb(rgb, 1)] |
           channelPixels_[2][ChannelOfRgb(rgb, 2)] | opaque_;
}

std::uint32_t PixelFormat::Nearest(std::uint32_t rgb) const {
    const auto begin = allocated_.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(allocatedCount_);
    const auto found = std::lower_bound(begin, end, rgb, [](AllocatedColour a, std::uint32_t c) { return a.rgb < c; });
    if (found != end && found->rgb == rgb) return found->pixel;
    std::uint32_t best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (auto it = begin; it != end; ++it) {
        std::uint32_t distance = 0;
        for (int c = 0; c < 3; ++c) {
            const auto d = static_cast<int>(ChannelOfRgb(rgb, c)) - static_cast<int>(ChannelOfRgb(it->rgb, c));
            distance += static_cast<std::uint32_t>(d * d);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = it->pixel;
        }
    }
    return best;
}

std::vector<std::uint32_t> ColoursUsed(std::span<const Picture> pictures) {
    std::vector<std::uint32_t> colours;
    for (const Picture& picture : pictures) {
        std::bitset<std::tuple_size_v<Palette>> used;
        IndexUsageSink sink{used};
        DrawPicture(picture, sink);
        for (std::size_t i = 0; i < used.size(); ++i) {
            const std::uint32_t rgb = picture.palette[i];
            if (used[i] && std::find(colours.begin(), colours.end(), rgb) == colours.end()) colours.push_back(rgb);
        }
    }
    return colours;
}
