// Enlarging a decoded picture in place for a high-density screen: every pixel an N x N block of its
// own colour, nothing else in the image touched.
#include "frames/enlarge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

// An image of `image` untouched pixels with a `picture`-sized area of distinct colours at its
// top-left corner.
std::vector<std::uint32_t> ImageWithPicture(BitmapSize picture, BitmapSize image) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height),
                                      kUntouched);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)] =
                static_cast<std::uint32_t>(y * 100 + x);
    }
    return pixels;
}

class EnlargeTest : public ::testing::TestWithParam<int> {};

TEST_P(EnlargeTest, EveryPixelBecomesABlockAndNothingBeyondIsWritten) {
    const int factor = GetParam();
    constexpr int kWidth = 7;
    constexpr int kHeight = 5;
    const int stride = kWidth * factor + 3;  // a row longer than the enlarged picture
    const int rows = kHeight * factor + 2;
    std::vector<std::uint32_t> image = ImageWithPicture({kWidth, kHeight}, {stride, rows});
    EnlargeInPlace(image.data(), stride, {kWidth, kHeight}, factor);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < stride; ++x) {
            const std::uint32_t got = image[static_cast<std::size_t>(y) * stride + x];
            if (x < kWidth * factor && y < kHeight * factor) {
                ASSERT_EQ(got, static_cast<std::uint32_t>((y / factor) * 100 + x / factor)) << "at " << x << ", " << y;
            } else {
                ASSERT_EQ(got, kUntouched) << "written outside the enlarged picture at " << x << ", " << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, EnlargeTest, ::testing::Values(1, 2, 3));

// Windows' DPI over 96, a Wayland output's scale, a page's zoom times the screen's density.
TEST(WholeFactor, TheLargestWholeFactorThatFitsAndNeverBelowOne) {
    EXPECT_EQ(WholeFactor(1), 1);
    EXPECT_EQ(WholeFactor(144.0 / 96), 1) << "150 %: the picture at its own size, not blurred";
    EXPECT_EQ(WholeFactor(191.0 / 96), 1);
    EXPECT_EQ(WholeFactor(192.0 / 96), 2);
    EXPECT_EQ(WholeFactor(288.0 / 96), 3);
    EXPECT_EQ(WholeFactor(0.7 * (20.0 / 7)), 2) << "a product that rounds a hair below 2";
    EXPECT_EQ(WholeFactor(0.5), 1) << "a reduction is not a factor";
    EXPECT_EQ(WholeFactor(0), 1);
    EXPECT_EQ(WholeFactor(-3), 1);
    EXPECT_EQ(WholeFactor(std::nan("")), 1);
}

}  // namespace
