// The frame artwork: the still parts, the mechanism in the pose of the kinematic
// model, and the blower rotors. Back to front: casing and still line work, crank web, left
// linkage, right linkage, pistons with their short rods, blower rotors. Every moving part that
// can pass in front of another carries a thin white outline, so crossings read clearly.
#include "drawing.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

#include "bmp_writer.h"
#include "frames/frame_set.h"

namespace framegen {
namespace {

constexpr double kPi = std::numbers::pi;

// Line weights.
constexpr double kOutline = 3.0;      // casing, sump, housing, duct
constexpr double kThinOutline = 2.0;  // ports
constexpr double kPipeWidth = 18.0;
constexpr double kHalo = 2.0;         // white outline round moving parts

// Still parts.
constexpr double kBoreLeft = 135.0, kBoreRight = 536.0;
constexpr double kTopWallTop = 167.0, kBottomWallBottom = 253.0;
constexpr double kPivotRadius = 24.0;
constexpr Vec kUpperHub{673.5, 75.5};
constexpr Vec kLowerHub{673.5, 158.5};

// Moving parts.
constexpr double kShellThickness = 6.0;
constexpr double kCrownThickness = 36.0;  // from the crown rim to the interior
constexpr double kCrownDepth = 8.0;       // depth of the concave crown face
constexpr double kRodWidth = 8.0;
constexpr double kRockerWidth = 11.0;
constexpr double kRockerBulge = 30.0;     // control point of the rocker's curve, outwards of the pivot

// Rotors: three lobes between a tip and a root radius; the exponent narrows the lobes.
constexpr double kRotorTip = 46.0;
constexpr double kRotorRoot = 30.0;
constexpr double kLobeShape = 1.5;
constexpr double kHubHole = 6.0;

void SetColour(cairo_t* cr, PaletteIndex index) {
    const std::uint32_t c = PaletteColour(index);
    cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
}

void Fill(cairo_t* cr, PaletteIndex colour) {
    SetColour(cr, colour);
    cairo_fill(cr);
}

void Stroke(cairo_t* cr, PaletteIndex colour, double width) {
    SetColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// Strokes the current path wide in `outer`, then narrower in `inner` on top: an outlined line.
void StrokeTwice(cairo_t* cr, PaletteIndex outer, double outerWidth, PaletteIndex inner, double innerWidth) {
    SetColour(cr, outer);
    cairo_set_line_width(cr, outerWidth);
    cairo_stroke_preserve(cr);
    Stroke(cr, inner, innerWidth);
}

void Disc(cairo_t* cr, Vec c, double r, PaletteIndex colour) {
    cairo_new_path(cr);
    cairo_arc(cr, c.x, c.y, r, 0, 2 * kPi);
    Fill(cr, colour);
}

void Rect(cairo_t* cr, double x0, double y0, double x1, double y1, PaletteIndex colour) {
    cairo_new_path(cr);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    Fill(cr, colour);
}

// An outlined rectangle whose border lies inside [x0, x1) x [y0, y1).
void FrameRect(cairo_t* cr, double x0, double y0, double x1, double y1, double w, PaletteIndex colour) {
    Rect(cr, x0, y0, x1, y1, colour);
    Rect(cr, x0 + w, y0 + w, x1 - w, y1 - w, kWhite);
}

// --- Still parts -------------------------------------------------------------------------------

void CasingPath(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 128, 141.5);
    cairo_line_to(cr, 540, 141.5);
    cairo_curve_to(cr, 622, 150, 622, 400, 570, 432);
    // Stepped shoulder at the lower right corner.
    cairo_line_to(cr, 570, 446);
    cairo_line_to(cr, 540, 446);
    cairo_line_to(cr, 540, 460.5);
    cairo_line_to(cr, 126, 460.5);
    cairo_line_to(cr, 126, 446);
    cairo_line_to(cr, 96, 446);
    cairo_line_to(cr, 96, 432);
    cairo_curve_to(cr, 28, 400, 28, 150, 128, 141.5);
    cairo_close_path(cr);
}

void Casing(cairo_t* cr) {
    CasingPath(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    Stroke(cr, kNearBlack, kOutline);
    // Four short strokes on the left flank.
    for (double y : {313.0, 333.0, 352.0, 370.0}) Rect(cr, 48, y - 1, 72, y + 2, kNearBlack);
    // The oil sump with its wavy bottom.
    cairo_new_path(cr);
    cairo_move_to(cr, 150.5, 462);
    cairo_line_to(cr, 158, 568);
    const double x0 = 158, x1 = 506;
    for (int i = 1; i <= 96; ++i) {
        const double x = x0 + (x1 - x0) * i / 96.0;
        cairo_line_to(cr, x, 572.5 + 4.0 * std::sin((x - x0) / (x1 - x0) * 6 * kPi));
    }
    cairo_line_to(cr, 512.5, 462);
    Stroke(cr, kNearBlack, kOutline);
}

void Cylinder(cairo_t* cr) {
    Rect(cr, kBoreLeft, kTopWallTop, kBoreRight, kBoreTop, kNearBlack);
    Rect(cr, kBoreLeft, kBoreBottom, kBoreRight, kBottomWallBottom, kNearBlack);
    // The bore is clear of the casing's line work.
    Rect(cr, kBoreLeft, kBoreTop, kBoreRight, kBoreBottom, kWhite);
    // Brackets under the cylinder: two supports and the two rocker pivot hangers.
    for (double x : {258.0, 409.0}) {
        cairo_new_path(cr);
        cairo_move_to(cr, x - 14, kBottomWallBottom);
        cairo_line_to(cr, x - 8, kBottomWallBottom + 14);
        cairo_line_to(cr, x + 8, kBottomWallBottom + 14);
        cairo_line_to(cr, x + 14, kBottomWallBottom);
        Stroke(cr, kNearBlack, kOutline);
    }
    for (const Vec& p : {kLeftPivot, kRightPivot}) {
        cairo_new_path(cr);
        cairo_move_to(cr, p.x - 22, kBottomWallBottom);
        cairo_line_to(cr, p.x - 14, p.y);
        cairo_line_to(cr, p.x + 14, p.y);
        cairo_line_to(cr, p.x + 22, kBottomWallBottom);
        Stroke(cr, kNearBlack, kOutline);
    }
}

void Ports(cairo_t* cr) {
    static constexpr double kRows[4][2] = {{179, 188}, {193, 206}, {213, 226}, {231, 240}};
    for (double x : {244.0, 403.0})
        for (const auto& r : kRows) FrameRect(cr, x, r[0], x + 17, r[1], kThinOutline, kNearBlack);
}

void Injector(cairo_t* cr) {
    Rect(cr, 320, 68, 353, 84, kOlive);   // cap
    Rect(cr, 326, 84, 347, 152, kOlive);  // body
    Rect(cr, 347, 91, 382, 99, kOlive);   // fuel line
    Rect(cr, 380, 86, 388, 104, kOlive);  // union nut
    Rect(cr, 304, 118, 326, 128, kOlive); // clamp
    Rect(cr, 304, 112, 312, 134, kOlive); // clamp bolt
    cairo_new_path(cr);                   // nozzle down to the bore
    cairo_move_to(cr, 326, 152);
    cairo_line_to(cr, 347, 152);
    cairo_line_to(cr, 340, kBoreTop);
    cairo_line_to(cr, 333, kBoreTop);
    cairo_close_path(cr);
    Fill(cr, kOlive);
}

// A tube drawn as two walls: near-black outline, white inside, open ends.
void Tube(cairo_t* cr, Vec a, Vec c1, Vec c2, Vec b) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_path(cr);
    cairo_move_to(cr, a.x, a.y);
    cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, b.x, b.y);
    StrokeTwice(cr, kNearBlack, kPipeWidth, kWhite, kPipeWidth - 2 * kOutline);
}

void Pipes(cairo_t* cr) {
    Tube(cr, {228, 143}, {228, 90}, {224, 60}, {224, 9});
    Tube(cr, {263, 143}, {263, 100}, {266, 70}, {266, 24});
}

void AirDuct(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 398, 141.5);
    cairo_curve_to(cr, 430, 100, 520, 95.5, 601, 95.5);
    Stroke(cr, kNearBlack, kOutline);
    cairo_new_path(cr);
    cairo_move_to(cr, 446, 141.5);
    cairo_curve_to(cr, 470, 128, 540, 137.5, 601, 137.5);
    Stroke(cr, kNearBlack, kOutline);
    // Open into the casing.
    Rect(cr, 400, 140, 444, 143, kWhite);
}

void BlowerHousing(cairo_t* cr) {
    // Outer box.
    cairo_new_path(cr);
    const double x0 = 601.5, y0 = 16.5, x1 = 778.5, y1 = 223.5, r = 14;
    cairo_arc(cr, x1 - r, y0 + r, r, -kPi / 2, 0);
    cairo_arc(cr, x1 - r, y1 - r, r, 0, kPi / 2);
    cairo_arc(cr, x0 + r, y1 - r, r, kPi / 2, kPi);
    cairo_arc(cr, x0 + r, y0 + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
    Stroke(cr, kNearBlack, kOutline);
    // Rotor chamber: two circles joined, open to the duct on the left and the inlet on the right.
    const double rc = kRotorTip + 5;
    const double half = std::acos((kLowerHub.y - kUpperHub.y) / 2 / rc);
    cairo_new_path(cr);
    cairo_arc(cr, kUpperHub.x, kUpperHub.y, rc, kPi / 2 + half, kPi / 2 - half + 2 * kPi);
    Stroke(cr, kNearBlack, kOutline);
    cairo_new_path(cr);
    cairo_arc(cr, kLowerHub.x, kLowerHub.y, rc, -kPi / 2 + half, -kPi / 2 - half + 2 * kPi);
    Stroke(cr, kNearBlack, kOutline);
    Rect(cr, 600, 98, 630, 136, kWhite);  // outlet into the duct
    Rect(cr, 717, 104, 780, 129, kWhite); // air inlet on the right
    for (double y : {102.5, 130.5}) {
        cairo_new_path(cr);
        cairo_move_to(cr, 718, y);
        cairo_line_to(cr, 780, y);
        Stroke(cr, kNearBlack, kOutline);
    }
}

// --- Moving parts ------------------------------------------------------------------------------

// A pin: red disc in a teal ring (the eye of the rod that works on it), optionally a white centre.
void Pin(cairo_t* cr, Vec c, double pin, double ring, bool centreDot) {
    Disc(cr, c, ring + kHalo, kWhite);
    Disc(cr, c, ring, kTeal);
    Disc(cr, c, pin, kRed);
    if (centreDot) Disc(cr, c, 3, kWhite);
}

void Rod(cairo_t* cr, Vec a, Vec b) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    StrokeTwice(cr, kWhite, kRodWidth + 2 * kHalo, kTeal, kRodWidth);
}

void CrankWeb(cairo_t* cr, const Pose& pose) {
    const double a = pose.crankAngleDeg * kDeg;
    const Vec dir{std::sin(a), -std::cos(a)};  // towards the crank pin
    // Counterweight: a sector opposite the crank pin.
    cairo_new_path(cr);
    cairo_move_to(cr, kCrankAxis.x, kCrankAxis.y);
    const double back = std::atan2(-dir.y, -dir.x);
    cairo_arc(cr, kCrankAxis.x, kCrankAxis.y, 80, back - 50 * kDeg, back + 50 * kDeg);
    cairo_close_path(cr);
    Fill(cr, kGreen);
    // Arm from the hub to the crank pin boss.
    const Vec n{-dir.y, dir.x};
    const Vec pin = pose.crankPin;
    cairo_new_path(cr);
    cairo_move_to(cr, kCrankAxis.x + 24 * n.x, kCrankAxis.y + 24 * n.y);
    cairo_line_to(cr, pin.x + 17 * n.x, pin.y + 17 * n.y);
    cairo_line_to(cr, pin.x - 17 * n.x, pin.y - 17 * n.y);
    cairo_line_to(cr, kCrankAxis.x - 24 * n.x, kCrankAxis.y - 24 * n.y);
    cairo_close_path(cr);
    Fill(cr, kGreen);
    Disc(cr, kCrankAxis, 24, kGreen);
    Disc(cr, pin, 17, kGreen);
    Disc(cr, kCrankAxis, 3.5, kWhite);  // the main axis
}

// The rocker: a curved blue arm from its upper to its lower end, bulging outwards past the pivot.
void Rocker(cairo_t* cr, const SidePose& s, double sign) {
    const Vec ctrl = Add(s.pivot, Rotate(Vec{sign * kRockerBulge, 0}, s.rockerAngle));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_move_to(cr, s.upper.x, s.upper.y);
    cairo_curve_to(cr, (s.upper.x + 2 * ctrl.x) / 3, (s.upper.y + 2 * ctrl.y) / 3, (s.lower.x + 2 * ctrl.x) / 3,
                   (s.lower.y + 2 * ctrl.y) / 3, s.lower.x, s.lower.y);
    StrokeTwice(cr, kWhite, kRockerWidth + 2 * kHalo, kBlue, kRockerWidth);
    for (const Vec& end : {s.upper, s.lower}) Disc(cr, end, 10, kBlue);
    // The fixed pivot in front: red disc with a white outline.
    Disc(cr, s.pivot, kPivotRadius, kWhite);
    Disc(cr, s.pivot, kPivotRadius - 2, kRed);
}

// A piston between its outer face and its crown rim; the open outer end shows the interior.
void Piston(cairo_t* cr, const SidePose& s) {
    const double outer = s.outerEdge, rim = s.crownEdge;
    const double lo = std::min(outer, rim), hi = std::max(outer, rim);
    const double inward = rim > outer ? 1 : -1;
    Rect(cr, lo, kBoreTop, hi, kBoreBottom, kRed);
    const double crownBack = rim - inward * kCrownThickness;
    Rect(cr, std::min(outer, crownBack), kBoreTop + kShellThickness, std::max(outer, crownBack),
         kBoreBottom - kShellThickness, kLightBlue);
    // Concave crown face: a shallow circular recess in the crown, light blue.
    const double chord = (kBoreBottom - kBoreTop) - 2 * 8.0;
    const double radius = (chord * chord / 4 + kCrownDepth * kCrownDepth) / (2 * kCrownDepth);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, lo, kBoreTop, hi - lo, kBoreBottom - kBoreTop);
    cairo_clip(cr);
    Disc(cr, Vec{rim + inward * (radius - kCrownDepth), kBoreAxisY}, radius, kLightBlue);
    cairo_restore(cr);
}

void Linkage(cairo_t* cr, const SidePose& s, double sign) {
    Rod(cr, s.lower, s.drive);
    Pin(cr, s.drive, 9, 13, true);
    Rocker(cr, s, sign);
    Pin(cr, s.lower, 4, 7, false);
}

void PistonAssembly(cairo_t* cr, const SidePose& s) {
    Piston(cr, s);
    Rod(cr, s.gudgeon, s.upper);
    Pin(cr, s.gudgeon, 7, 11, false);
    Pin(cr, s.upper, 4, 7, false);
}

// --- Blower ------------------------------------------------------------------------------------

// A three-lobed rotor with a lobe at `angle` (radians, clockwise from straight up), and a white
// hole in its hub. Its outline is decided per pixel centre, not by Cairo's polygon filling, so
// that a rotor standing symmetric about its hub's vertical is symmetric to the pixel.
void Rotor(cairo_t* cr, Vec hub, double angle) {
    const int x0 = static_cast<int>(hub.x - kRotorTip) - 1, y0 = static_cast<int>(hub.y - kRotorTip) - 1;
    const int size = static_cast<int>(2 * kRotorTip) + 3;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> mask(
        cairo_image_surface_create(CAIRO_FORMAT_A8, size, size), &cairo_surface_destroy);
    cairo_surface_flush(mask.get());
    unsigned char* data = cairo_image_surface_get_data(mask.get());
    const int stride = cairo_image_surface_get_stride(mask.get());
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const double dx = x0 + i + 0.5 - hub.x, dy = y0 + j + 0.5 - hub.y;
            const double t = std::atan2(dx, -dy);  // clockwise from straight up
            const double r =
                kRotorRoot + (kRotorTip - kRotorRoot) * std::pow((1 + std::cos(3 * (t - angle))) / 2, kLobeShape);
            const double d = std::hypot(dx, dy);
            data[j * stride + i] = d < r && d >= kHubHole ? 0xFF : 0;
        }
    cairo_surface_mark_dirty(mask.get());
    SetColour(cr, kOrange);
    cairo_mask_surface(cr, mask.get(), x0, y0);
}

void Blower(cairo_t* cr, int frame) {
    // Phase C (frames 3, 6, ...) has a lobe straight up on both; 40 deg a frame, the upper rotor
    // anticlockwise and the lower clockwise.
    const int step = frame % 3;  // frames since the last phase C: 1 for A, 2 for B
    const double turn = 40.0 * kDeg * step;
    Rotor(cr, kUpperHub, -turn);
    Rotor(cr, kLowerHub, +turn);
}

std::vector<std::uint8_t> ToIndices(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    static constexpr std::array<PaletteIndex, 9> kUsed = {kWhite,     kNearBlack, kBlue,   kRed,  kTeal,
                                                          kLightBlue, kGreen,     kOrange, kOlive};
    // Their colours, looked up once rather than for every pixel.
    std::array<std::uint32_t, kUsed.size()> colours{};
    for (std::size_t k = 0; k < kUsed.size(); ++k) colours[k] = PaletteColour(kUsed[k]);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < kFrameWidth; ++x) {
            const std::uint32_t rgb = row[x] & 0xFFFFFF;
            const auto match = std::find(colours.begin(), colours.end(), rgb);
            if (match == colours.end())
                throw std::runtime_error("colour " + std::to_string(rgb) + " outside the nine palette entries at (" +
                                         std::to_string(x) + ", " + std::to_string(y) + ")");
            const auto k = static_cast<std::size_t>(match - colours.begin());
            out[static_cast<std::size_t>(y) * kFrameWidth + x] = kUsed[k];
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> DrawFrame(const Dimensions& dims, int frame) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kFrameWidth, kFrameHeight), &cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), &cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetColour(cr, kWhite);
    cairo_paint(cr);

    const Pose pose = SolvePose(dims, frame);
    Casing(cr);
    Pipes(cr);
    AirDuct(cr);
    BlowerHousing(cr);
    Cylinder(cr);
    Ports(cr);
    Injector(cr);
    CrankWeb(cr, pose);
    Linkage(cr, pose.left, -1);
    Linkage(cr, pose.right, +1);
    PistonAssembly(cr, pose.left);
    PistonAssembly(cr, pose.right);
    Blower(cr, frame);

    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) throw std::runtime_error(cairo_status_to_string(cairo_status(cr)));
    return ToIndices(surface.get());
}

}  // namespace framegen
