// Colours as a TrueColor or an indexed test screen shows them, worked out apart from the program.
#include "tests/e2e/screen_colours.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t kByteMax = 0xFF;
constexpr std::uint32_t kShortMax = 0xFFFF;  // an XColor's channel
constexpr std::uint32_t kRgbMask = 0xFFFFFF;
constexpr std::size_t kIndexedPixels = 256;  // an indexed screen of up to 8 bits

// `value` of 0 to `from` as the nearest of the levels 0 to `to`.
std::uint32_t Nearest(std::uint32_t value, std::uint32_t from, std::uint32_t to) {
    return static_cast<std::uint32_t>((std::uint64_t{value} * to + from / 2) / from);
}

// One pixel's value, read straight from the image where its layout is this machine's.
std::uint32_t PixelAt(XImage* image, int x, int y, bool nativeOrder) {
    const char* row = image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
    if (image->bits_per_pixel == 8) return static_cast<unsigned char>(row[x]);
    if (nativeOrder && image->bits_per_pixel == 16) {
        std::uint16_t pixel = 0;
        std::memcpy(&pixel, row + std::ptrdiff_t{2} * x, sizeof pixel);
        return pixel;
    }
    if (nativeOrder && image->bits_per_pixel == 32) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, row + std::ptrdiff_t{4} * x, sizeof pixel);
        return pixel;
    }
    return static_cast<std::uint32_t>(XGetPixel(image, x, y));
}

}  // namespace

ScreenColours ScreenColours::Of(Display* display) {
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    ScreenColours colours;
    colours.indexed_ = visual->c_class != TrueColor && visual->c_class != DirectColor;
    const std::array<unsigned long, 3> masks = {visual->red_mask, visual->green_mask, visual->blue_mask};
    int packedAt = 0;
    for (std::size_t c = colours.channels_.size(); c-- > 0;) {  // blue in the lowest bits
        Channel& channel = colours.channels_[c];
        if (colours.indexed_) {
            // A colormap keeps colours of bits_per_rgb significant bits in each channel.
            channel = {0, (1U << visual->bits_per_rgb) - 1, packedAt};
        } else {
            const int shift = std::countr_zero(masks[c]);
            channel = {shift, static_cast<std::uint32_t>(masks[c] >> shift), packedAt};
        }
        packedAt += std::popcount(channel.levels);
    }
    return colours;
}

std::uint32_t ScreenColours::Packed(const std::array<std::uint32_t, 3>& levels) const {
    std::uint32_t packed = 0;
    for (std::size_t c = 0; c < channels_.size(); ++c) packed |= levels[c] << channels_[c].packedAt;
    return packed;
}

// The colormap installed now: pixel -> the colour it shows.
std::array<std::uint32_t, kIndexedPixels> ScreenColours::InstalledColours(Display* display, int depth) const {
    std::array<XColor, kIndexedPixels> cells{};
    for (std::size_t pixel = 0; pixel < cells.size(); ++pixel) cells[pixel].pixel = pixel;
    int count = 0;
    Colormap* installed = XListInstalledColormaps(display, DefaultRootWindow(display), &count);
    if (installed != nullptr && count > 0) XQueryColors(display, installed[0], cells.data(), 1 << depth);
    if (installed != nullptr) XFree(installed);
    std::array<std::uint32_t, kIndexedPixels> colours{};
    for (std::size_t pixel = 0; pixel < cells.size(); ++pixel) {
        const XColor& cell = cells[pixel];
        colours[pixel] = Packed({Nearest(cell.red, kShortMax, channels_[0].levels),
                                 Nearest(cell.green, kShortMax, channels_[1].levels),
                                 Nearest(cell.blue, kShortMax, channels_[2].levels)});
    }
    return colours;
}

std::uint32_t ScreenColours::Shown(std::uint32_t rgb) const {
    std::array<std::uint32_t, 3> levels{};
    for (std::size_t c = 0; c < channels_.size(); ++c)
        levels[c] = Nearest((rgb >> (16 - 8 * c)) & kByteMax, kByteMax, channels_[c].levels);
    return Packed(levels);
}

Capture ScreenColours::ToColours(Display* display, XImage* image) const {
    Capture capture{image->width, image->height,
                    std::vector<std::uint32_t>(static_cast<std::size_t>(image->width) * image->height), {}};
    const bool nativeOrder = image->byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
    const bool plainRgb = !indexed_ && nativeOrder && image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 &&
                          image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    const std::array<std::uint32_t, kIndexedPixels> colormap =
        indexed_ ? InstalledColours(display, image->depth) : std::array<std::uint32_t, kIndexedPixels>{};
    for (int y = 0; y < capture.height; ++y) {
        std::uint32_t* out = &capture.pixels[static_cast<std::size_t>(y) * capture.width];
        if (plainRgb) {  // a 24-bit screen: the colours as they are, at the speed of a copy
            std::memcpy(out, image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line,
                        sizeof(std::uint32_t) * static_cast<std::size_t>(capture.width));
            for (int x = 0; x < capture.width; ++x) out[x] &= kRgbMask;
            continue;
        }
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t pixel = PixelAt(image, x, y, nativeOrder);
            if (indexed_) {
                out[x] = colormap[pixel % kIndexedPixels];
                continue;
            }
            std::array<std::uint32_t, 3> levels{};
            for (std::size_t c = 0; c < channels_.size(); ++c)
                levels[c] = (pixel >> channels_[c].shift) & channels_[c].levels;
            out[x] = Packed(levels);
        }
    }
    return capture;
}
