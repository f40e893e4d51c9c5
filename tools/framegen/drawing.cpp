// The frame artwork: still parts, moving parts, blower rotors.
#include "drawing.h"

#include <cairo.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

#include "bmp_writer.h"

namespace framegen {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

void SetColour(cairo_t* cr, PaletteIndex index) {
    const std::uint32_t c = PaletteColour(index);
    cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
}

void Disc(cairo_t* cr, Vec c, double r, PaletteIndex colour) {
    cairo_new_path(cr);
    cairo_arc(cr, c.x, c.y, r, 0, 2 * kPi);
    SetColour(cr, colour);
    cairo_fill(cr);
}

void Crank(cairo_t* cr, const Pose& pose) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 18);
    SetColour(cr, kGreen);
    cairo_move_to(cr, pose.crankPin.x, pose.crankPin.y);
    cairo_line_to(cr, pose.secondPin.x, pose.secondPin.y);
    cairo_stroke(cr);
    Disc(cr, kCrankAxis, 3.5, kWhite);
    for (Vec pin : {pose.crankPin, pose.secondPin}) {
        Disc(cr, pin, 12, kTeal);
        Disc(cr, pin, 8, kRed);
        Disc(cr, pin, 2.5, kWhite);
    }
}

std::vector<std::uint8_t> ToIndices(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    static constexpr PaletteIndex kUsed[] = {kWhite, kNearBlack, kBlue, kRed, kTeal, kLightBlue, kGreen, kOrange, kOlive};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t rgb = row[x] & 0xFFFFFF;
            int found = -1;
            for (PaletteIndex i : kUsed)
                if (PaletteColour(i) == rgb) found = i;
            if (found < 0)
                throw std::runtime_error("colour outside the nine palette entries at (" + std::to_string(x) + ", " +
                                         std::to_string(y) + ")");
            out[static_cast<std::size_t>(y) * kWidth + x] = static_cast<std::uint8_t>(found);
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> DrawFrame(const Dimensions& dims, int frame) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), &cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), &cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetColour(cr, kWhite);
    cairo_paint(cr);

    const Pose pose = SolvePose(dims, frame);
    Crank(cr, pose);

    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) throw std::runtime_error(cairo_status_to_string(cairo_status(cr)));
    return ToIndices(surface.get());
}

}  // namespace framegen
