// Draws the program's menu icon, a generic application window, as a square PNG of a given size.
// Usage: draw_icon SIZE OUTPUT.png, or draw_icon SIZE OUTPUT.inc for the window icon's pixels.
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size <= 0 || size > kLargest) {
        std::fprintf(stderr, "usage: draw_icon SIZE(1-%d) OUTPUT.png|OUTPUT.inc\n", kLargest);
        return EXIT_FAILURE;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / kDesignSize, size / kDesignSize);
    DrawWindow(cr);
    cairo_destroy(cr);
    const std::string output = argv[2];
    const cairo_status_t status = output.ends_with(".inc") ? WriteArgbInitialisers(surface, size, argv[2])
                                               : cairo_surface_write_to_png(surface, argv[2]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "draw_icon: cannot write %s: %s\n", argv[2], cairo_status_to_string(status));
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
