// Audit of the committed frame files against Parts 1.1 and 1.2 (issue 3 item 5).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frames/frame_set.h"
#include "frames/rle8_decoder.h"

namespace {

std::vector<std::uint8_t> ReadFrameFile(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%02d.bmp", n);
    std::ifstream f(std::string(TRENOX_FRAMES_DIR) + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

class FrameAudit : public ::testing::TestWithParam<int> {};

TEST_P(FrameAudit, Decodes) {
    const auto file = ReadFrameFile(GetParam());
    ASSERT_FALSE(file.empty());
    Picture pic;
    const DecodeError e = DecodeRle8Bitmap(file, pic);
    ASSERT_EQ(e, DecodeError::None) << DescribeDecodeError(e);
    EXPECT_EQ(pic.width, kFrameWidth);
    EXPECT_EQ(pic.height, kFrameHeight);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameAudit, ::testing::Range(1, kFrameCount + 1));

}  // namespace
