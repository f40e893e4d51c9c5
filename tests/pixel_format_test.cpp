// Colour to pixel on every kind of screen: TrueColor channel layouts of 15 to 30 bits in either
// channel order, and the colours allocated on an indexed screen; the colours a picture uses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frames/frame_set.h"
#include "frames/pixel_format.h"
#include "frames/pixel_sinks.h"
#include "tests/test_bitmaps.h"

namespace {

struct Layout {
    std::string name;
    ChannelMasks masks;
    std::uint32_t mixed;  // the pixel of 0x20A0FF (32, 160, 255), worked out by hand
};

// 32 and 160 fall between the levels of every channel narrower than 8 bits, and of 10 bits.
constexpr std::uint32_t kMixed = 0x20A0FF;

class TrueColourLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(TrueColourLayouts, PrimariesWhiteBlackAndAMixedColour) {
    const Layout& layout = GetParam();
    const PixelFormat format = PixelFormat::TrueColour(layout.masks);
    EXPECT_EQ(format.PixelOf(0xFF0000), layout.masks.red);
    EXPECT_EQ(format.PixelOf(0x00FF00), layout.masks.green);
    EXPECT_EQ(format.PixelOf(0x0000FF), layout.masks.blue);
    EXPECT_EQ(format.PixelOf(0xFFFFFF), layout.masks.red | layout.masks.green | layout.masks.blue);
    EXPECT_EQ(format.PixelOf(0x000000), 0U);
    EXPECT_EQ(format.PixelOf(kMixed), layout.mixed);
}

// 32 is 3.9 of 31 levels (4), 160 is 19.45 of 31 (19) and 39.5 of 63 (40); in 10 bits 32 is
// 128.4 (128) and 160 is 641.9 (642).
INSTANTIATE_TEST_SUITE_P(
    Screens, TrueColourLayouts,
    ::testing::Values(Layout{"Rgb565", {0xF800, 0x07E0, 0x001F}, (4U << 11) | (40U << 5) | 31U},
                      Layout{"Bgr565", {0x001F, 0x07E0, 0xF800}, 4U | (40U << 5) | (31U << 11)},
                      Layout{"Rgb555", {0x7C00, 0x03E0, 0x001F}, (4U << 10) | (19U << 5) | 31U},
                      Layout{"Bgr555", {0x001F, 0x03E0, 0x7C00}, 4U | (19U << 5) | (31U << 10)},
                      Layout{"Rgb888", {0xFF0000, 0x00FF00, 0x0000FF}, 0x20A0FF},
                      Layout{"Bgr888", {0x0000FF, 0x00FF00, 0xFF0000}, 0xFFA020},
                      Layout{"Rgb101010", {0x3FF00000, 0x000FFC00, 0x000003FF}, (128U << 20) | (642U << 10) | 1023U},
                      Layout{"Bgr101010", {0x000003FF, 0x000FFC00, 0x3FF00000}, 128U | (642U << 10) | (1023U << 20)}),
    [](const ::testing::TestParamInfo<Layout>& info) { return info.param.name; });

// Every 8-bit value goes to the level whose intensity lies nearest to it, for 5, 6, 8 and 10 bits.
TEST(TrueColour, EachChannelValueTakesTheNearestLevel) {
    for (const int bits : {5, 6, 8, 10}) {
        const std::uint32_t levels = (1U << bits) - 1;
        const PixelFormat format = PixelFormat::TrueColour({levels << (2 * bits), levels << bits, levels});
        for (std::uint32_t value = 0; value <= 255; ++value) {
            const std::uint32_t level = format.PixelOf(value) & levels;  // blue, the lowest bits
            auto distance = [&](double l) { return std::abs(l * 255.0 / levels - value); };
            EXPECT_LE(distance(level), distance(level + 1.0)) << bits << " bits, value " << value;
            if (level > 0) {
                EXPECT_LE(distance(level), distance(level - 1.0)) << bits << " bits, value " << value;
            }
            // The same for red and green.
            EXPECT_EQ(format.PixelOf(value << 16 | value << 8 | value),
                      level << (2 * bits) | level << bits | level) << bits << " bits, value " << value;
        }
    }
}

// The browser's canvas (RGBA bytes in a little-endian word) and a compositor's XRGB with its spare
// byte set: the colour's channels where they belong, and full opacity in every pixel.
TEST(TrueColour, AnOpaqueChannelIsSetInEveryPixel) {
    const PixelFormat rgba = PixelFormat::TrueColour({0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000});
    EXPECT_EQ(rgba.PixelOf(0x20A0FF), 0xFFFFA020U);
    EXPECT_EQ(rgba.PixelOf(0x000000), 0xFF000000U);
    const PixelFormat xrgb = PixelFormat::TrueColour({0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
    EXPECT_EQ(xrgb.PixelOf(0xFFFFFF), 0xFFFFFFFFU);
    EXPECT_EQ(PixelFormat().PixelOf(0xFFFFFF), 0x00FFFFFFU) << "no opacity unless asked for";
}

TEST(IndexedColours, AllocatedColoursAsTheyAreOthersAsTheNearest) {
    const std::vector<AllocatedColour> allocated = {{0xFFFFFF, 7}, {0x000000, 3}, {0xFF0000, 12}, {0x0000FF, 200}};
    const PixelFormat format = PixelFormat::Indexed(allocated);
    for (const AllocatedColour& colour : allocated) EXPECT_EQ(format.PixelOf(colour.rgb), colour.pixel);
    EXPECT_EQ(format.PixelOf(0xF0F0F0), 7U);   // near white
    EXPECT_EQ(format.PixelOf(0x800000), 12U);  // a hair nearer red than black
    EXPECT_EQ(format.PixelOf(0x7F0000), 3U);   // a hair nearer black
    EXPECT_EQ(format.PixelOf(0x1010C0), 200U);
}

TEST(IndexedColours, APictureTableGoesIntoEightBitPixels) {
    const std::vector<AllocatedColour> allocated = {{0xFFFFFF, 254}, {0x000000, 1}};
    Palette palette{};
    palette[0] = 0xFFFFFF;
    palette[9] = 0x000000;
    palette[10] = 0x202020;
    ColourTable<std::uint8_t> pixels{};
    PixelFormat::Indexed(allocated).Convert(palette, pixels);
    EXPECT_EQ(pixels[0], 254);
    EXPECT_EQ(pixels[9], 1);
    EXPECT_EQ(pixels[10], 1);
}

TEST(ColoursUsed, TheFramesUseNineColours) {
    FrameHolders holders;
    ASSERT_EQ(LoadFrameHolders(holders).error, DecodeError::None);
    const std::vector<std::uint32_t> used = ColoursUsed(holders);
    EXPECT_EQ(used.size(), 9U);
    EXPECT_NE(std::find(used.begin(), used.end(), 0xFFFFFFU), used.end()) << "white, the frames' edges";
}

TEST(ColoursUsed, CountsSkippedPixelsAndAbsoluteRunsOnceEach) {
    // 6 x 2: a run of 5s, a delta skipping two pixels (index 0), end of line; absolute 7 8 7, end.
    const std::vector<std::uint8_t> file = Bitmap(6, 2, {2, 5, 0, 2, 2, 0, 0, 0, 0, 3, 7, 8, 7, 0, 0, 1});
    Picture picture;  // refers to the file's data
    ASSERT_EQ(ReadRle8Bitmap(file, picture), DecodeError::None);
    picture.palette[8] = picture.palette[5];  // two indices of one colour: allocated once
    const std::vector<std::uint32_t> used = ColoursUsed(std::span<const Picture>(&picture, 1));
    EXPECT_EQ(used, (std::vector<std::uint32_t>{0x000000, 0x050505, 0x070707}));
}

}  // namespace
