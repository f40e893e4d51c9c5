// Draws the program's menu icon, a generic application window, as a square PNG of a given size.
// Usage: draw_icon SIZE OUTPUT.png, draw_icon SIZE OUTPUT.inc for the window icon's pixels, or
// draw_icon SIZE OUTPUT.ico for a page's favicon; add "filled" for an opaque square that a phone
// may cut to its own shape (a web app's maskable icon, the apple-touch-icon).
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The icon is laid out on a 48-unit square and scaled to the size asked for.
constexpr double kDesignSize = 48;
constexpr double kMargin = 3;
constexpr double kCornerRadius = 3;
constexpr double kTitleBarHeight = 9;
constexpr double kBorder = 1.5;
constexpr double kButtonSize = 4;

struct Colour {
    double red, green, blue;
};
constexpr Colour kFrameColour{0.16, 0.25, 0.42};
constexpr Colour kTitleColour{0.27, 0.46, 0.78};
constexpr Colour kButtonColour{0.91, 0.94, 0.98};
constexpr Colour kClientColour{0.97, 0.97, 0.95};
constexpr Colour kContentColour{0.70, 0.74, 0.80};

void SetColour(cairo_t* cr, Colour c) { cairo_set_source_rgb(cr, c.red, c.green, c.blue); }

void RoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
    constexpr double kQuarter = 1.5707963267948966;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -kQuarter, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kQuarter);
    cairo_arc(cr, x + radius, y + height - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

void DrawWindow(cairo_t* cr) {
    const double side = kDesignSize - 2 * kMargin;
    RoundedRectangle(cr, kMargin, kMargin, side, side, kCornerRadius);
    SetColour(cr, kFrameColour);
    cairo_fill(cr);

    // Title bar with the three caption buttons at its right end.
    const double inner = side - 2 * kBorder;
    const double left = kMargin + kBorder;
    const double top = kMargin + kBorder;
    cairo_rectangle(cr, left, top, inner, kTitleBarHeight - kBorder);
    SetColour(cr, kTitleColour);
    cairo_fill(cr);
    SetColour(cr, kButtonColour);
    const double buttonTop = top + (kTitleBarHeight - kBorder - kButtonSize) / 2;
    for (int button = 1; button <= 3; ++button) {
        cairo_rectangle(cr, left + inner - button * (kButtonSize + kBorder), buttonTop, kButtonSize, kButtonSize);
    }
    cairo_fill(cr);

    // Client area with a picture in it.
    const double clientTop = kMargin + kTitleBarHeight;
    const double clientHeight = side - kTitleBarHeight - kBorder;
    cairo_rectangle(cr, left, clientTop, inner, clientHeight);
    SetColour(cr, kClientColour);
    cairo_fill(cr);
    const double pad = inner / 6;
    cairo_rectangle(cr, left + pad, clientTop + pad, inner - 2 * pad, clientHeight - 2 * pad);
    SetColour(cr, kContentColour);
    cairo_fill(cr);
}

// A filled icon shows the window inside the circle a phone's mask always keeps (80 % of the side,
// centred), on the window frame's colour to the edges.
void DrawFilled(cairo_t* cr) {
    constexpr double kKeptDiameter = 0.8;
    constexpr double kSquareInCircle = 0.70710678118654752;  // a square's side over its diagonal
    SetColour(cr, kFrameColour);
    cairo_paint(cr);
    const double windowScale = kKeptDiameter * kSquareInCircle * kDesignSize / (kDesignSize - 2 * kMargin);
    cairo_translate(cr, kDesignSize / 2, kDesignSize / 2);
    cairo_scale(cr, windowScale, windowScale);
    cairo_translate(cr, -kDesignSize / 2, -kDesignSize / 2);
    DrawWindow(cr);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// An .ico file of one image, stored as PNG (which every browser takes): the 6-byte header, the
// 16-byte directory entry, then the PNG.
cairo_status_t WriteIco(cairo_surface_t* surface, int size, const char* path) {
    std::vector<unsigned char> png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &png);
    if (status != CAIRO_STATUS_SUCCESS) return status;
    constexpr std::uint32_t kHeaderBytes = 6 + 16;
    constexpr int kLargestIcoSide = 256;  // written as 0
    const auto side = static_cast<unsigned char>(size >= kLargestIcoSide ? 0 : size);
    const auto pngBytes = static_cast<std::uint32_t>(png.size());
    const unsigned char header[kHeaderBytes] = {
        0, 0, 1, 0, 1, 0,  // reserved, type 1 (icon), one image
        side, side, 0, 0, 1, 0, 32, 0,  // width, height, no palette, reserved, 1 plane, 32 bits a pixel
        static_cast<unsigned char>(pngBytes), static_cast<unsigned char>(pngBytes >> 8),
        static_cast<unsigned char>(pngBytes >> 16), static_cast<unsigned char>(pngBytes >> 24),
        kHeaderBytes, 0, 0, 0};  // where the image starts
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return CAIRO_STATUS_WRITE_ERROR;
    const bool written = std::fwrite(header, 1, sizeof header, out) == sizeof header &&
                         std::fwrite(png.data(), 1, png.size(), out) == png.size();
    return std::fclose(out) == 0 && written ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// For the X window's _NET_WM_ICON: width, height, then each pixel as 0xAARRGGBB, not premultiplied,
// written as C++ initialisers.
cairo_status_t WriteArgbInitialisers(cairo_surface_t* surface, int size, const char* path) {
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) return CAIRO_STATUS_WRITE_ERROR;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::fprintf(out, "%d, %d,\n", size, size);
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < size; ++x) {
            const std::uint32_t alpha = row[x] >> 24;
            std::uint32_t pixel = alpha << 24;
            for (const int shift : {16, 8, 0}) {
                const std::uint32_t premultiplied = (row[x] >> shift) & 0xFFU;
                if (alpha != 0) pixel |= ((premultiplied * 255 + alpha / 2) / alpha) << shift;
            }
            std::fprintf(out, "0x%08x,", static_cast<unsigned>(pixel));
        }
        std::fprintf(out, "\n");
    }
    return std::fclose(out) == 0 ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

int main(int argc, char* argv[]) {
    constexpr int kLargest = 1024;
    const bool filled = argc == 4 && std::string_view(argv[3]) == "filled";
    const int size = argc == 3 || filled ? std::atoi(argv[1]) : 0;
    if (size <= 0 || size > kLargest) {
        std::fprintf(stderr, "usage: draw_icon SIZE(1-%d) OUTPUT.png|OUTPUT.inc|OUTPUT.ico [filled]\n", kLargest);
        return EXIT_FAILURE;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / kDesignSize, size / kDesignSize);
    if (filled) {
        DrawFilled(cr);
    } else {
        DrawWindow(cr);
    }
    cairo_destroy(cr);
    const std::string output = argv[2];
    const cairo_status_t status = output.ends_with(".inc")   ? WriteArgbInitialisers(surface, size, argv[2])
                                  : output.ends_with(".ico") ? WriteIco(surface, size, argv[2])
                                                             : cairo_surface_write_to_png(surface, argv[2]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "draw_icon: cannot write %s: %s\n", argv[2], cairo_status_to_string(status));
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
