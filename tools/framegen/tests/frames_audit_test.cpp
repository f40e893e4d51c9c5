// Audit of the committed frame files: reads frames/frameNN.bmp, decodes them with the project's
// strict decoder and checks each picture against the engine's published figures (file format,
// colours, crank angles, piston table, ports, blower phases), never against the generator's numbers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "frames/frame_set.h"
#include "frames/rle8_decoder.h"

namespace {

// --- The engine's figures ---------------------------------------------------------------------

constexpr std::uint8_t kWhite = 255, kNearBlack = 32, kBlue = 3, kRed = 224, kTeal = 18, kLightBlue = 219,
                       kGreen = 28, kOrange = 244, kOlive = 149;
const std::set<int> kNineColours = {kWhite, kNearBlack, kBlue, kRed, kTeal, kLightBlue, kGreen, kOrange, kOlive};

constexpr double kAxisX = 333.5, kAxisY = 374.5;  // crankshaft main axis
constexpr int kLeftOuter[kFrameCount] = {181, 197, 212, 222, 227, 225, 216, 201, 184,
                                         169, 156, 146, 140, 136, 136, 142, 152, 165};
constexpr int kRightOuter[kFrameCount] = {494, 479, 461, 445, 435, 432, 436, 446, 460,
                                          476, 492, 506, 516, 522, 524, 521, 515, 506};
enum class Port { Covered, PartlyOpen, Open };
constexpr Port C = Port::Covered, P = Port::PartlyOpen, O = Port::Open;
constexpr Port kLeftPorts[kFrameCount] = {C, C, C, C, C, C, C, C, C, C, P, P, O, O, O, O, P, C};
constexpr Port kRightPorts[kFrameCount] = {C, C, C, C, C, C, C, C, C, C, C, P, P, O, O, O, P, P};
constexpr int kPortRows[4][2] = {{179, 187}, {193, 205}, {213, 225}, {231, 239}};  // inclusive
constexpr int kLeftPortX = 244, kRightPortX = 403, kPortWidth = 17;               // x .. x + 16
constexpr int kHubX = 673;                                                          // column of the hubs' vertical
constexpr int kUpperHubY = 75, kLowerHubY = 158;

double CrankAngle(int frame) { return 20.0 * (frame - 1) - 6.5; }

const char* PortName(Port p) { return p == C ? "covered" : p == P ? "partly open" : "open"; }

// --- Loading -----------------------------------------------------------------------------------

std::string FramePath(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%02d.bmp", n);
    return std::string(TRENOX_FRAMES_DIR) + name;
}

struct Frame {
    std::vector<std::uint8_t> file;
    IndexedImage picture;
    DecodeError error = DecodeError::Truncated;
};

const Frame& Load(int n) {
    static std::array<Frame, kFrameCount> frames;
    static std::array<bool, kFrameCount> loaded{};
    Frame& f = frames[static_cast<std::size_t>(n - 1)];
    if (!loaded[static_cast<std::size_t>(n - 1)]) {
        std::ifstream in(FramePath(n), std::ios::binary);
        f.file.assign(std::istreambuf_iterator<char>(in), {});
        f.error = DecodeRle8Bitmap(f.file, f.picture);
        loaded[static_cast<std::size_t>(n - 1)] = true;
    }
    return f;
}

// The decoded picture of frame n; fails the calling test if it does not decode.
#define PICTURE_OR_FAIL(pic, n)                                                                    \
    const Frame& frame_##pic = Load(n);                                                            \
    ASSERT_EQ(frame_##pic.error, DecodeError::None) << DescribeDecodeError(frame_##pic.error);     \
    ASSERT_EQ(frame_##pic.picture.width, kFrameWidth);                                             \
    ASSERT_EQ(frame_##pic.picture.height, kFrameHeight);                                           \
    const IndexedImage& pic = frame_##pic.picture  // NOLINT(bugprone-macro-parentheses): pic names a variable

std::uint32_t U32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}
std::uint32_t U16(const std::vector<std::uint8_t>& f, std::size_t at) { return f[at] | f[at + 1] << 8; }

// Angle of (x, y) about the main axis in degrees clockwise from straight up, in (-180, 180].
double AngleAboutAxis(double x, double y) {
    return std::atan2(x - kAxisX, kAxisY - y) * 180.0 / std::numbers::pi;
}
double AngleDiff(double a, double b) { return std::remainder(a - b, 360.0); }

class FrameAudit : public ::testing::TestWithParam<int> {};

// --- The file ---------------------------------------------------------------------------------

TEST_P(FrameAudit, HeaderFieldsAndColourTable) {
    const int n = GetParam();
    const Frame& f = Load(n);
    ASSERT_GE(f.file.size(), 1078u) << FramePath(n);
    const auto& b = f.file;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size()) << "file size field";
    EXPECT_EQ(U32(b, 6), 0u) << "reserved";
    EXPECT_EQ(U32(b, 10), 1078u) << "pixel data offset";
    EXPECT_EQ(U32(b, 14), 40u) << "info header size";
    EXPECT_EQ(U32(b, 18), 800u) << "width";
    EXPECT_EQ(U32(b, 22), 600u) << "height, positive: bottom-up";
    EXPECT_EQ(U16(b, 26), 1u) << "planes";
    EXPECT_EQ(U16(b, 28), 8u) << "bits per pixel";
    EXPECT_EQ(U32(b, 30), 1u) << "BI_RLE8";
    EXPECT_EQ(U32(b, 34), b.size() - 1078) << "image size: the encoded data's length";
    EXPECT_EQ(U32(b, 38), 0u) << "horizontal resolution";
    EXPECT_EQ(U32(b, 42), 0u) << "vertical resolution";
    EXPECT_EQ(U32(b, 46), 256u) << "colours used";
    EXPECT_EQ(U32(b, 50), 0u) << "colours important";
    // Encoded size within the range the frame set is known for.
    EXPECT_GE(b.size() - 1078, 19034u);
    EXPECT_LE(b.size() - 1078, 19970u);

    // The 3-3-2 colour cube, stored blue, green, red, 0.
    static constexpr int kLevel8[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    static constexpr int kLevel4[4] = {0, 64, 128, 255};
    for (int k = 0; k < 256; ++k) {
        const std::size_t at = 54 + 4 * static_cast<std::size_t>(k);
        EXPECT_EQ(b[at], kLevel4[k % 4]) << "blue of entry " << k;
        EXPECT_EQ(b[at + 1], kLevel8[(k / 4) % 8]) << "green of entry " << k;
        EXPECT_EQ(b[at + 2], kLevel8[k / 32]) << "red of entry " << k;
        EXPECT_EQ(b[at + 3], 0) << "reserved byte of entry " << k;
    }
    ASSERT_EQ(f.error, DecodeError::None) << DescribeDecodeError(f.error);
    EXPECT_EQ(f.picture.palette[kOrange], 0xFFA000u);
    EXPECT_EQ(f.picture.palette[kLightBlue], 0xC0C0FFu);
    EXPECT_EQ(f.picture.palette[kOlive], 0x80A040u);
}

// --- Colours and extent -----------------------------------------------------------------------

TEST_P(FrameAudit, UsesExactlyTheNineColours) {
    PICTURE_OR_FAIL(pic, GetParam());
    std::set<int> used(pic.pixels.begin(), pic.pixels.end());
    EXPECT_EQ(used, kNineColours);
}

TEST_P(FrameAudit, WhiteMarginsAndDrawingBounds) {
    PICTURE_OR_FAIL(pic, GetParam());
    int minX = kFrameWidth, maxX = -1, minY = kFrameHeight, maxY = -1;
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            if (pic.At(x, y) != kWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    // Nothing outside x 46..780, y 9..579: the last column and the last two rows stay white.
    EXPECT_GE(minX, 46);
    EXPECT_LE(maxX, 780);
    EXPECT_GE(minY, 9);
    EXPECT_LE(maxY, 579);
    // ... and the drawing fills that box: casing at the left, blower at the right, pipes on top, sump below.
    EXPECT_LE(minX, 48);
    EXPECT_GE(maxX, 778);
    EXPECT_LE(minY, 12);
    EXPECT_GE(maxY, 576);
}

// --- The crank --------------------------------------------------------------------------------

struct Dot {
    double x = 0, y = 0;
};

// Small white islands near the main axis (the pins' centre dots and the axis dot).
std::vector<Dot> WhiteDotsNearAxis(const IndexedImage& pic) {
    std::vector<Dot> dots;
    std::vector<bool> seen(pic.pixels.size(), false);
    for (int y = 290; y < 460; ++y)
        for (int x = 250; x < 420; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kFrameWidth + x;
            if (seen[i] || pic.At(x, y) != kWhite) continue;
            std::vector<std::pair<int, int>> todo{{x, y}}, members;
            seen[i] = true;
            while (!todo.empty() && members.size() <= 60) {
                auto [cx, cy] = todo.back();
                todo.pop_back();
                members.push_back({cx, cy});
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = cx + dx, ny = cy + dy;
                    const std::size_t j = static_cast<std::size_t>(ny) * kFrameWidth + nx;
                    if (!seen[j] && pic.At(nx, ny) == kWhite) {
                        seen[j] = true;
                        todo.push_back({nx, ny});
                    }
                }
            }
            if (members.size() > 60 || !todo.empty()) continue;  // background or a large gap
            Dot d;
            for (auto [mx, my] : members) {
                d.x += mx + 0.5;
                d.y += my + 0.5;
            }
            d.x /= static_cast<double>(members.size());
            d.y /= static_cast<double>(members.size());
            dots.push_back(d);
        }
    return dots;
}

// A pin: the red disc round a white centre dot, with its centre from all its red and white pixels.
bool PinAround(const IndexedImage& pic, const Dot& dot, Dot& centre) {
    int count = 0, red = 0;
    double sx = 0, sy = 0;
    for (int y = static_cast<int>(dot.y) - 12; y <= static_cast<int>(dot.y) + 12; ++y)
        for (int x = static_cast<int>(dot.x) - 12; x <= static_cast<int>(dot.x) + 12; ++x) {
            if (std::hypot(x + 0.5 - dot.x, y + 0.5 - dot.y) > 11.0) continue;
            const std::uint8_t c = pic.At(x, y);
            if (c == kRed || c == kWhite) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++count;
                red += c == kRed;
            }
        }
    if (red < 150) return false;  // a white dot on green (the main axis), not on a pin
    centre = {sx / count, sy / count};
    return true;
}

TEST_P(FrameAudit, CrankPinAtItsAngleAndRadius) {
    const int n = GetParam();
    PICTURE_OR_FAIL(pic, n);
    std::vector<Dot> pins;
    for (const Dot& d : WhiteDotsNearAxis(pic)) {
        Dot c;
        if (PinAround(pic, d, c)) pins.push_back(c);
    }
    const Dot* crank = nullptr;
    for (const Dot& p : pins)
        if (const double r = std::hypot(p.x - kAxisX, p.y - kAxisY); r >= 46.0 && r <= 47.0) {
            EXPECT_EQ(crank, nullptr) << "two pins at the crank radius";
            crank = &p;
        }
    ASSERT_NE(crank, nullptr) << "no red pin with a white centre 46 to 47 px from the main axis";
    EXPECT_NEAR(AngleDiff(AngleAboutAxis(crank->x, crank->y), CrankAngle(n)), 0.0, 1.0)
        << "crank pin at (" << crank->x << ", " << crank->y << ")";

    // The counterweight lies beyond the axis, opposite the crank pin; the second pin on it, where
    // it is not hidden behind the right long rod, stands half a turn from the crank pin.
    double gx = 0, gy = 0;
    int green = 0;
    for (int y = 280; y < 470; ++y)
        for (int x = 240; x < 430; ++x)
            if (pic.At(x, y) == kGreen) {
                gx += x + 0.5;
                gy += y + 0.5;
                ++green;
            }
    ASSERT_GT(green, 500) << "no crank web";
    EXPECT_NEAR(AngleDiff(AngleAboutAxis(gx / green, gy / green), CrankAngle(n) + 180.0), 0.0, 15.0)
        << "counterweight not opposite the crank pin";
    for (const Dot& p : pins) {
        if (&p == crank) continue;
        EXPECT_NEAR(AngleDiff(AngleAboutAxis(p.x, p.y), CrankAngle(n) + 180.0), 0.0, 1.0)
            << "second pin at (" << p.x << ", " << p.y << ")";
    }
}

// --- Pistons and ports ------------------------------------------------------------------------

// The row through the pistons' upper shell, clear of rods and pins.
constexpr int kShellRow = 177;

TEST_P(FrameAudit, PistonOuterEndsMatchTheTable) {
    const int n = GetParam();
    PICTURE_OR_FAIL(pic, n);
    int left = -1, right = -1;
    for (int x = 100; x < 334 && left < 0; ++x)
        if (pic.At(x, kShellRow) == kRed) left = x;
    for (int x = 570; x > 333 && right < 0; --x)
        if (pic.At(x, kShellRow) == kRed) right = x;
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);
    EXPECT_NEAR(left, kLeftOuter[n - 1], 1) << "left piston's outer end";
    EXPECT_NEAR(right, kRightOuter[n - 1], 1) << "right piston's outer end";
    // Each piston is about 100 px long: a solid red shell from its outer end to its crown.
    int leftLen = 0, rightLen = 0;
    while (pic.At(left + leftLen, kShellRow) == kRed) ++leftLen;
    while (pic.At(right - rightLen, kShellRow) == kRed) ++rightLen;
    EXPECT_NEAR(leftLen, 100, 2);
    EXPECT_NEAR(rightLen, 100, 2);
    // The crowns never touch: white bore between them.
    EXPECT_LT(left + leftLen, right - rightLen);
}

Port PortState(const IndexedImage& pic, int x0) {
    int outline = 0, visible = 0;
    for (const auto& r : kPortRows)
        for (int y = r[0]; y <= r[1]; ++y)
            for (int x = x0; x < x0 + kPortWidth; ++x) {
                const bool border = y < r[0] + 2 || y > r[1] - 2 || x < x0 + 2 || x >= x0 + kPortWidth - 2;
                if (!border) continue;
                ++outline;
                visible += pic.At(x, y) == kNearBlack;
            }
    return visible == 0 ? Port::Covered : visible == outline ? Port::Open : Port::PartlyOpen;
}

TEST_P(FrameAudit, PortStatesMatchTheTable) {
    const int n = GetParam();
    PICTURE_OR_FAIL(pic, n);
    EXPECT_EQ(PortState(pic, kLeftPortX), kLeftPorts[n - 1])
        << "left ports " << PortName(PortState(pic, kLeftPortX)) << ", table says " << PortName(kLeftPorts[n - 1]);
    EXPECT_EQ(PortState(pic, kRightPortX), kRightPorts[n - 1])
        << "right ports " << PortName(PortState(pic, kRightPortX)) << ", table says "
        << PortName(kRightPorts[n - 1]);
}

// --- Blower -----------------------------------------------------------------------------------

// Angle of a lobe (degrees clockwise from up, 0..120) from the rotor's outline as seen from its hub.
double LobeAngle(const IndexedImage& pic, int hubY) {
    std::complex<double> sum = 0;
    const double cx = kHubX + 0.5, cy = hubY + 0.5;
    for (int deg = 0; deg < 360; ++deg) {
        const double a = deg * std::numbers::pi / 180.0;
        double extent = 0;
        for (double r = 9; r < 55; r += 0.25) {
            const int x = static_cast<int>(std::floor(cx + r * std::sin(a)));
            const int y = static_cast<int>(std::floor(cy - r * std::cos(a)));
            if (pic.At(x, y) != kOrange) break;
            extent = r;
        }
        sum += extent * std::polar(1.0, 3 * a);
    }
    double lobe = std::arg(sum) / 3 * 180.0 / std::numbers::pi;
    return lobe < 0 ? lobe + 120.0 : lobe;
}

double Mod120Diff(double a, double b) { return std::remainder(a - b, 120.0); }

TEST_P(FrameAudit, RotorPhase) {
    const int n = GetParam();
    PICTURE_OR_FAIL(pic, n);
    // Phase C: a lobe straight up on both; A: upper 40 deg anticlockwise, lower 40 deg clockwise
    // of C; B: 40 deg further again.
    const int step = n % 3;  // 1 = A, 2 = B, 0 = C
    EXPECT_NEAR(Mod120Diff(LobeAngle(pic, kUpperHubY), -40.0 * step), 0.0, 3.0) << "upper rotor";
    EXPECT_NEAR(Mod120Diff(LobeAngle(pic, kLowerHubY), 40.0 * step), 0.0, 3.0) << "lower rotor";
    // Both rotors have a white hole in their hub.
    EXPECT_EQ(pic.At(kHubX, kUpperHubY), kWhite);
    EXPECT_EQ(pic.At(kHubX, kLowerHubY), kWhite);
    if (step == 0) {
        int asymmetric = 0, orange = 0;
        for (int y = 20; y < 215; ++y)
            for (int k = 0; k < 60; ++k) {
                orange += pic.At(kHubX + k, y) == kOrange;
                asymmetric += (pic.At(kHubX + k, y) == kOrange) != (pic.At(kHubX - k, y) == kOrange);
            }
        EXPECT_GT(orange, 2000);
        EXPECT_EQ(asymmetric, 0) << "phase C rotors are not mirror-symmetric about the hubs' vertical";
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameAudit, ::testing::Range(1, kFrameCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "frame" + std::to_string(info.param);
                         });

// --- Across frames -----------------------------------------------------------------------------

TEST(FrameSequence, BlowerRepeatsEveryThreeFramesAndPhasesAMirrorB) {
    for (int n = 1; n <= kFrameCount; ++n) {
        PICTURE_OR_FAIL(a, n);
        PICTURE_OR_FAIL(b, (n + 2) % kFrameCount + 1);  // three frames on, round the loop
        int differ = 0;
        for (int y = 15; y <= 225; ++y)
            for (int x = 600; x <= 780; ++x) differ += a.At(x, y) != b.At(x, y);
        EXPECT_EQ(differ, 0) << "blower of frame " << n << " and three frames on";
    }
    // Turning the symmetric phase C by +40 and by -40 deg gives mirror images: A mirrors B.
    PICTURE_OR_FAIL(phaseA, 1);
    PICTURE_OR_FAIL(phaseB, 2);
    int asymmetric = 0;
    for (int y = 20; y < 215; ++y)
        for (int k = 0; k < 60; ++k)
            asymmetric += (phaseA.At(kHubX + k, y) == kOrange) != (phaseB.At(kHubX - k, y) == kOrange);
    EXPECT_EQ(asymmetric, 0);
}

TEST(FrameSequence, StillPartsStandStill) {
    // The injector and the cylinder's top wall are the same in every frame.
    PICTURE_OR_FAIL(first, 1);
    for (int n = 2; n <= kFrameCount; ++n) {
        PICTURE_OR_FAIL(pic, n);
        int differ = 0;
        for (int y = 9; y < 175; ++y)
            for (int x = 46; x < 600; ++x) differ += first.At(x, y) != pic.At(x, y);
        EXPECT_EQ(differ, 0) << "frame " << n;
    }
}

TEST(FrameSequence, ConsecutiveFramesDiffer) {
    for (int n = 1; n <= kFrameCount; ++n) {
        PICTURE_OR_FAIL(a, n);
        PICTURE_OR_FAIL(b, n % kFrameCount + 1);
        EXPECT_NE(a.pixels, b.pixels) << "frames " << n << " and " << n % kFrameCount + 1;
    }
}

}  // namespace
