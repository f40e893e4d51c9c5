// The strict RLE8 decoder: what it accepts and what it rejects; the pixel sinks it draws into.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "frames/frame_set.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"
#include "tests/test_bitmaps.h"

namespace {

DecodeError Decode(const std::vector<std::uint8_t>& file, IndexedImage& out) { return DecodeRle8Bitmap(file, out); }

TEST(Rle8Decoder, DecodesRunsAbsoluteRunsAndDeltasBottomUp) {
    // Bottom row: run of 2 x 7, absolute 3 4 5 (padded), end of line.
    // Top row: delta 2 right, run of 3 x 9, end of bitmap.
    const auto file = Bitmap(5, 2, {2, 7, 0, 3, 3, 4, 5, 0, 0, 0, 0, 2, 2, 0, 3, 9, 0, 1});
    IndexedImage p;
    ASSERT_EQ(Decode(file, p), DecodeError::None);
    ASSERT_EQ(p.width, 5);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.pixels, (std::vector<std::uint8_t>{0, 0, 9, 9, 9, 7, 7, 3, 4, 5}));
    EXPECT_EQ(p.palette[200], 0xC8C8C8U);
}

TEST(Rle8Decoder, SkippedPixelsAreIndexZeroEvenInAReusedPicture) {
    IndexedImage p;
    ASSERT_EQ(Decode(Bitmap(4, 3, {4, 7, 0, 0, 4, 7, 0, 0, 4, 7, 0, 1}), p), DecodeError::None);
    // Bottom row: 1 x 5, then a delta one right and one up; 1 x 6 there, end of bitmap.
    ASSERT_EQ(Decode(Bitmap(4, 3, {1, 5, 0, 2, 1, 1, 1, 6, 0, 1}), p), DecodeError::None);
    EXPECT_EQ(p.pixels, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 6, 0, 5, 0, 0, 0}));
    // A delta over a whole row.
    ASSERT_EQ(Decode(Bitmap(4, 3, {1, 5, 0, 2, 2, 2, 1, 6, 0, 1}), p), DecodeError::None);
    EXPECT_EQ(p.pixels, (std::vector<std::uint8_t>{0, 0, 0, 6, 0, 0, 0, 0, 5, 0, 0, 0}));
}

TEST(Rle8Decoder, PixelsThatARowLeavesOutAreZeroInAWideImage) {
    constexpr int kWidth = 40;
    // Bottom row: 3 x 9, then end of line. Top row: 2 x 8, a delta of 5, 1 x 6, end of bitmap.
    const auto file = Bitmap(kWidth, 2, {3, 9, 0, 0, 2, 8, 0, 2, 5, 0, 1, 6, 0, 1});
    IndexedImage p;
    ASSERT_EQ(Decode(file, p), DecodeError::None);
    std::vector<std::uint8_t> expected(std::size_t{2} * kWidth, 0);
    expected[0] = expected[1] = 8;
    expected[7] = 6;
    expected[kWidth] = expected[kWidth + 1] = expected[kWidth + 2] = 9;
    EXPECT_EQ(p.pixels, expected);
}

TEST(Rle8Decoder, RejectsDataThatWouldWriteOutsideTheImage) {
    IndexedImage p;
    EXPECT_EQ(Decode(Bitmap(4, 1, {5, 1, 0, 1}), p), DecodeError::RunPastRow);
    EXPECT_EQ(Decode(Bitmap(4, 1, {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}), p), DecodeError::RunPastRow);
    EXPECT_EQ(Decode(Bitmap(4, 1, {0, 0, 1, 1, 0, 1}), p), DecodeError::RunPastImage);
    EXPECT_EQ(Decode(Bitmap(4, 1, {0, 0, 0, 3, 1, 2, 3, 0, 0, 1}), p), DecodeError::RunPastImage);
    EXPECT_EQ(Decode(Bitmap(4, 2, {0, 2, 5, 0, 0, 1}), p), DecodeError::DeltaOutsideImage);
    EXPECT_EQ(Decode(Bitmap(4, 2, {0, 2, 0, 2, 0, 1}), p), DecodeError::DeltaOutsideImage);
    EXPECT_TRUE(p.pixels.empty());
}

TEST(Rle8Decoder, RejectsDataThatEndsEarly) {
    IndexedImage p;
    EXPECT_EQ(Decode(Bitmap(4, 1, {4, 1}), p), DecodeError::MissingEndOfBitmap);
    EXPECT_EQ(Decode(Bitmap(4, 1, {4, 1, 0}), p), DecodeError::MissingEndOfBitmap);
    EXPECT_EQ(Decode(Bitmap(4, 1, {0, 3, 1, 2}), p), DecodeError::MissingEndOfBitmap);
    EXPECT_EQ(Decode(Bitmap(4, 1, {0, 2, 1}), p), DecodeError::MissingEndOfBitmap);
}

TEST(Rle8Decoder, RejectsWrongHeaders) {
    const auto good = Bitmap(2, 1, {2, 1, 0, 1});
    IndexedImage p;
    ASSERT_EQ(Decode(good, p), DecodeError::None);
    struct Corruption {
        std::size_t at;
        std::uint8_t value;
        DecodeError expected;
    };
    const Corruption corruptions[] = {
        {0, 'X', DecodeError::BadHeader},      // signature
        {2, 0, DecodeError::Truncated},        // file size
        {10, 0, DecodeError::BadHeader},       // pixel data offset inside the colour table
        {14, 12, DecodeError::BadHeader},      // an OS/2 header
        {25, 0xFF, DecodeError::BadHeader},    // negative height: top-down, not allowed for RLE
        {19, 0x40, DecodeError::BadHeader},    // a width too large to be a frame
        {28, 4, DecodeError::BadHeader},       // 4 bits per pixel
        {30, 0, DecodeError::BadHeader},       // uncompressed
        {30, 2, DecodeError::BadHeader},       // RLE4
        {34, 9, DecodeError::BadHeader},       // image size not the data's length
        {47, 2, DecodeError::BadHeader},       // more than 256 colours
    };
    for (const Corruption& c : corruptions) {
        auto file = good;
        file[c.at] = c.value;
        EXPECT_EQ(Decode(file, p), c.expected) << "byte " << c.at;
    }
    EXPECT_EQ(Decode(std::vector<std::uint8_t>(good.begin(), good.begin() + 53), p), DecodeError::Truncated);
}

TEST(Rle8Decoder, SurvivesEveryTruncationAndRandomDamageOfAFrame) {
    const auto frame = kEmbeddedFrameFiles[0];
    IndexedImage p;
    for (std::size_t length = 0; length < frame.size(); length += 97)
        EXPECT_NE(DecodeRle8Bitmap(frame.first(length), p), DecodeError::None);

    std::mt19937 random(20261208);
    std::vector<std::uint8_t> damaged;
    for (int round = 0; round < 2000; ++round) {
        damaged.assign(frame.begin(), frame.end());
        for (int hits = 1 + round % 8; hits > 0; --hits)
            damaged[1078 + random() % (damaged.size() - 1078)] = static_cast<std::uint8_t>(random());
        if (DecodeRle8Bitmap(damaged, p) == DecodeError::None) {
            EXPECT_EQ(p.pixels.size(), static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
        }
    }
}

// A frame drawn straight into a window's visible area, as every show does: each pixel in the
// window's format, and nothing written outside the area, however a fill rounds its runs up; for
// screens of 8-, 16- and 32-bit pixels.
template <class Pixel>
class ColourSinks : public ::testing::Test {};
using PixelSizes = ::testing::Types<std::uint8_t, std::uint16_t, std::uint32_t>;
TYPED_TEST_SUITE(ColourSinks, PixelSizes);

TYPED_TEST(ColourSinks, ADrawnFrameIsTheDecodedFrameClippedToTheVisibleArea) {
    using Pixel = TypeParam;
    constexpr int kVisibleWidth = kFrameWidth - 1;
    constexpr int kVisibleHeight = kFrameHeight - 2;
    FrameHolders holders;
    ASSERT_EQ(LoadFrameHolders(holders).error, DecodeError::None);
    ColourTable<Pixel> inWindowFormat{};  // any one-to-one mapping of the indices
    for (std::size_t i = 0; i < inWindowFormat.size(); ++i)
        inWindowFormat[i] = static_cast<Pixel>((i * 0x9E3779B1U) ^ (sizeof(Pixel) > 1 ? 0xA500U : 0U));
    std::vector<Pixel> window(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    for (int k = 0; k < kFrameCount; ++k) {
        IndexedImage decoded;
        ASSERT_EQ(DecodeRle8Bitmap(kEmbeddedFrameFiles[static_cast<std::size_t>(k)], decoded), DecodeError::None);
        // Drawn over two different backgrounds: a pixel left out shows one of them either way.
        for (const Pixel untouched : {Pixel{0}, static_cast<Pixel>(~Pixel{0})}) {
            std::fill(window.begin(), window.end(), untouched);
            ColourSinkOf<Pixel> sink{window.data(), kFrameWidth, {kVisibleWidth, kVisibleHeight}, inWindowFormat};
            DrawPicture(holders[static_cast<std::size_t>(k)], sink);
            int wrong = 0;
            for (int y = 0; y < kFrameHeight; ++y) {
                for (int x = 0; x < kFrameWidth; ++x) {
                    const bool visible = x < kVisibleWidth && y < kVisibleHeight;
                    const Pixel want = visible ? inWindowFormat[decoded.At(x, y)] : untouched;
                    wrong += window[static_cast<std::size_t>(y) * kFrameWidth + x] != want ? 1 : 0;
                }
            }
            EXPECT_EQ(wrong, 0) << "frame " << k + 1 << " over " << +untouched;
        }
    }
}

TEST(PixelSinks, IndexSinkClipsRunsAndCopiesToItsOwnSize) {
    // Bottom row: 5 x 7, end of line. Top row: absolute 1 2 3 4 5 (padded), end of bitmap.
    const auto file = Bitmap(5, 2, {5, 7, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 1});
    IndexedImage whole;
    ASSERT_EQ(Decode(file, whole), DecodeError::None);
    Picture picture;
    ASSERT_EQ(ReadRle8Bitmap(file, picture), DecodeError::None);
    std::vector<std::uint8_t> area(std::size_t{3} * 2, 0xEE);  // 3 wide, only the top row drawn
    IndexSink sink{area.data(), 3, {3, 1}};
    DrawPicture(picture, sink);
    EXPECT_EQ(area, (std::vector<std::uint8_t>{1, 2, 3, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(whole.pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 7, 7, 7, 7, 7}));
}

TEST(Rle8Decoder, ReadingAPictureChecksAllItsDataButKeepsItEncoded) {
    Picture picture;
    ASSERT_EQ(ReadRle8Bitmap(Bitmap(4, 1, {4, 1, 0, 1}), picture), DecodeError::None);
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.runs.size(), 4U);
    // Damage deep in the data, past a clean first row, is found before the picture is ever shown.
    EXPECT_EQ(ReadRle8Bitmap(Bitmap(4, 2, {4, 1, 0, 0, 5, 1, 0, 1}), picture), DecodeError::RunPastRow);
    EXPECT_EQ(picture.runs.size(), 0U);
    EXPECT_EQ(picture.width, 0);
}

}  // namespace
