// Replays the committed corpus of decoder inputs: bitmaps crafted for each way a file can be wrong
// and each edge the decoder guards, and what a fuzzing run found interesting. The folder an input
// lies in names what the decoder must make of it; whatever that is, it must keep every promise.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/decoder_check.h"

namespace {

const std::map<std::string, DecodeError> kVerdictOfFolder = {
    {"decodes", DecodeError::None},
    {"truncated", DecodeError::Truncated},
    {"bad_header", DecodeError::BadHeader},
    {"run_past_row", DecodeError::RunPastRow},
    {"run_past_image", DecodeError::RunPastImage},
    {"delta_outside_image", DecodeError::DeltaOutsideImage},
    {"missing_end_of_bitmap", DecodeError::MissingEndOfBitmap},
};

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DecoderCorpus, EachInputGetsItsFoldersVerdictAndKeepsEveryPromise) {
    const std::filesystem::path corpus = TRENOX_DECODER_CORPUS;
    std::map<std::string, int> replayed;
    for (const auto& folder : std::filesystem::directory_iterator(corpus)) {
        if (!folder.is_directory()) continue;
        const std::string name = folder.path().filename().string();
        const auto verdict = kVerdictOfFolder.find(name);
        ASSERT_NE(verdict, kVerdictOfFolder.end()) << "a corpus folder that names no verdict: " << name;
        for (const auto& input : std::filesystem::directory_iterator(folder.path())) {
            const std::string where = name + "/" + input.path().filename().string();
            const DecoderCheck check = CheckDecoder(ReadAll(input.path()));
            EXPECT_EQ(check.broken, nullptr) << where << ": " << check.broken;
            EXPECT_STREQ(DescribeDecodeError(check.error), DescribeDecodeError(verdict->second)) << where;
            ++replayed[name];
        }
    }
    for (const auto& [name, verdict] : kVerdictOfFolder) EXPECT_GT(replayed[name], 0) << "no input in " << name;
}

}  // namespace
