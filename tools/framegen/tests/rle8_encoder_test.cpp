// The RLE8 encoder and bitmap writer: round trips through the project's strict decoder, and only
// the codes the format rules allow.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bmp_writer.h"
#include "frames/rle8_decoder.h"

namespace {

using framegen::EncodeRle8;
using framegen::MakeRle8Bitmap;

struct Code {
    enum Kind { Encoded, Absolute, EndOfLine, EndOfBitmap, Other } kind;
    int count;
};

// Splits encoded data into its codes; fails the test on anything malformed.
std::vector<Code> Codes(const std::vector<std::uint8_t>& data) {
    std::vector<Code> codes;
    std::size_t at = 0;
    while (at + 1 < data.size()) {
        const int a = data[at], b = data[at + 1];
        at += 2;
        if (a > 0) {
            codes.push_back({Code::Encoded, a});
        } else if (b == 0) {
            codes.push_back({Code::EndOfLine, 0});
        } else if (b == 1) {
            codes.push_back({Code::EndOfBitmap, 0});
        } else if (b == 2) {
            codes.push_back({Code::Other, 0});
            at += 2;
        } else {
            codes.push_back({Code::Absolute, b});
            at += static_cast<std::size_t>(b + (b & 1));
        }
    }
    EXPECT_EQ(at, data.size()) << "trailing or missing bytes";
    return codes;
}

std::vector<std::uint8_t> RoundTrip(const std::vector<std::uint8_t>& pixels, int w, int h) {
    const auto file = MakeRle8Bitmap(pixels, w, h);
    IndexedImage pic;
    const DecodeError e = DecodeRle8Bitmap(file, pic);
    EXPECT_EQ(e, DecodeError::None) << DescribeDecodeError(e);
    EXPECT_EQ(pic.width, w);
    EXPECT_EQ(pic.height, h);
    return pic.pixels;
}

TEST(Rle8Encoder, RoundTripsRandomAndPatternedImages) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 40; ++trial) {
        const int w = 1 + static_cast<int>(rng() % 800), h = 1 + static_cast<int>(rng() % 20);
        std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h);
        const int alphabet = 1 + trial % 5;  // few colours make long runs, many make literals
        for (auto& p : px) p = static_cast<std::uint8_t>(rng() % (trial % 3 == 0 ? 256 : alphabet));
        if (trial % 4 == 1)  // long runs cut by single pixels
            for (std::size_t i = 0; i < px.size(); ++i) px[i] = (i % 257 == 0) ? 7 : 255;
        EXPECT_EQ(RoundTrip(px, w, h), px) << "trial " << trial;
    }
}

TEST(Rle8Encoder, UsesOnlyAllowedCodesAndNeverAnAbsoluteRunOf255) {
    std::mt19937 rng(99);
    std::vector<std::uint8_t> px(std::size_t{800} * 4);
    for (auto& p : px) p = static_cast<std::uint8_t>(rng());  // all literal: absolute runs hit the limit
    const auto data = EncodeRle8(px, 800, 4);
    const auto codes = Codes(data);
    int rows = 0, longest = 0;
    for (const Code& c : codes) {
        EXPECT_NE(c.kind, Code::Other);
        if (c.kind == Code::Absolute) {
            EXPECT_GE(c.count, 3);
            EXPECT_LE(c.count, 254);
            longest = std::max(longest, c.count);
        }
        if (c.kind == Code::EndOfLine || c.kind == Code::EndOfBitmap) ++rows;
    }
    EXPECT_EQ(longest, 254);
    EXPECT_EQ(rows, 4);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back().kind, Code::EndOfBitmap);
    EXPECT_EQ(data.size() % 2, 0u);
}

TEST(Rle8Encoder, LongRunsAreSplitAt255) {
    const std::vector<std::uint8_t> px(800, 255);
    const auto data = EncodeRle8(px, 800, 1);
    const std::vector<std::uint8_t> expected = {255, 255, 255, 255, 255, 255, 35, 255, 0, 1};
    EXPECT_EQ(data, expected);
}

TEST(BitmapWriter, HeaderFieldsAndColourTable) {
    const std::vector<std::uint8_t> px(std::size_t{800} * 600, 255);
    const auto f = MakeRle8Bitmap(px, 800, 600);
    auto u32 = [&](std::size_t at) { return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24; };
    auto u16 = [&](std::size_t at) { return f[at] | f[at + 1] << 8; };
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(u32(2), f.size());
    EXPECT_EQ(u32(6), 0u);
    EXPECT_EQ(u32(10), 1078u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 800u);
    EXPECT_EQ(u32(22), 600u);
    EXPECT_EQ(u16(26), 1);
    EXPECT_EQ(u16(28), 8);
    EXPECT_EQ(u32(30), 1u);
    EXPECT_EQ(u32(34), f.size() - 1078);
    EXPECT_EQ(u32(38), 0u);
    EXPECT_EQ(u32(42), 0u);
    EXPECT_EQ(u32(46), 256u);
    EXPECT_EQ(u32(50), 0u);
    // Spot checks of the 3-3-2 table, stored blue, green, red, 0.
    auto entry = [&](int k) { return u32(54 + 4 * static_cast<std::size_t>(k)); };
    EXPECT_EQ(entry(255), 0x00FFFFFFu);
    EXPECT_EQ(entry(32), 0x00200000u);
    EXPECT_EQ(entry(18), 0x00008080u);
    EXPECT_EQ(entry(219), 0x00C0C0FFu);
    EXPECT_EQ(entry(244), 0x00FFA000u);
    EXPECT_EQ(entry(149), 0x0080A040u);
    EXPECT_EQ(entry(0), 0u);
}

}  // namespace
