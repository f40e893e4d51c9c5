// The screen's pixel format for the frames' colours: TrueColor by its masks, an indexed screen by the
// nine colours the frames use, allocated beside other programs' where there is room.
#include "app/x11/x11_colours.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// Allocates each colour in `colormap`; on a colormap too full for all of them, frees what it took.
bool AllocateIn(Display* display, Colormap colormap, std::span<const std::uint32_t> colours,
                std::vector<AllocatedColour>& allocated) {
    constexpr unsigned kByteToShort = 0x101;  // 0xFF -> 0xFFFF
    allocated.clear();
    allocated.reserve(colours.size());
    for (const std::uint32_t rgb : colours) {
        XColor colour{};
        colour.red = static_cast<unsigned short>(((rgb >> 16) & 0xFFU) * kByteToShort);
        colour.green = static_cast<unsigned short>(((rgb >> 8) & 0xFFU) * kByteToShort);
        colour.blue = static_cast<unsigned short>((rgb & 0xFFU) * kByteToShort);
        colour.flags = DoRed | DoGreen | DoBlue;
        if (XAllocColor(display, colormap, &colour) == 0) {
            std::vector<unsigned long> pixels(allocated.size());
            for (std::size_t i = 0; i < allocated.size(); ++i) pixels[i] = allocated[i].pixel;
            if (!pixels.empty()) XFreeColors(display, colormap, pixels.data(), static_cast<int>(pixels.size()), 0);
            allocated.clear();
            return false;
        }
        // Looked up by the colour asked for; the screen shows the nearest it has.
        allocated.push_back({rgb, static_cast<std::uint32_t>(colour.pixel)});
    }
    return true;
}

}  // namespace

bool X11Colours::Choose(Display* display, std::span<const Picture> pictures) {
    const int screen = DefaultScreen(display);
    const Visual* visual = DefaultVisual(display, screen);
    switch (visual->c_class) {
        case TrueColor:
            format_ = PixelFormat::TrueColour({static_cast<std::uint32_t>(visual->red_mask),
                                               static_cast<std::uint32_t>(visual->green_mask),
                                               static_cast<std::uint32_t>(visual->blue_mask)});
            return true;
        case PseudoColor:
        case StaticColor:
        case DirectColor: return Allocate(display, pictures);
        default: break;
    }
    // Only the grey visuals are left: StaticGray (monochrome too) and GrayScale.
    std::fprintf(stderr, "TrenoxVK: the screen cannot show colours (%s, depth %d)\n",
                 visual->c_class == GrayScale ? "GrayScale" : "StaticGray", DefaultDepth(display, screen));
    return false;
}

// Only the colours the frames use (nine): an 8-bit screen has room for them beside other programs'.
bool X11Colours::Allocate(Display* display, std::span<const Picture> pictures) {
    const int screen = DefaultScreen(display);
    const std::vector<std::uint32_t> wanted = ColoursUsed(pictures);
    std::vector<AllocatedColour> allocated;
    if (!AllocateIn(display, DefaultColormap(display, screen), wanted, allocated)) {
        // The shared colormap is full: the window gets its own, shown while it has the focus.
        colormap_ = XCreateColormap(display, RootWindow(display, screen), DefaultVisual(display, screen), AllocNone);
        if (!AllocateIn(display, colormap_, wanted, allocated)) {
            std::fprintf(stderr, "TrenoxVK: the screen has no room for the pictures' %zu colours\n", wanted.size());
            return false;
        }
    }
    format_ = PixelFormat::Indexed(allocated);
    return true;
}
