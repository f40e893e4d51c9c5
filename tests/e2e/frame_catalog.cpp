// Frame identification: the visible part of each decoded frame, hashed for a fast exact look-up.
#include "tests/e2e/frame_catalog.h"

#include <stdexcept>
#include <string>

#include "frames/frame_set.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

constexpr std::size_t kClientArea = static_cast<std::size_t>(kClientWidth) * kClientHeight;
constexpr std::uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

std::uint64_t HashRegion(const Capture& capture, ClientOffset offset) {
    std::uint64_t hash = kFnvOffset;
    for (int y = 0; y < kClientHeight; ++y) {
        const std::uint32_t* row = &capture.pixels[static_cast<std::size_t>(y + offset.y) * capture.width + offset.x];
        for (int x = 0; x < kClientWidth; ++x) hash = (hash ^ row[x]) * kFnvPrime;
    }
    return hash;
}

bool Fits(const Capture& capture, ClientOffset offset) {
    return offset.x >= 0 && offset.y >= 0 && offset.x + kClientWidth <= capture.width &&
           offset.y + kClientHeight <= capture.height;
}

}  // namespace

FrameCatalog::FrameCatalog(const ScreenColours& screen) : screen_(screen) {
    FrameHolders holders;
    const FrameLoadResult loaded = LoadFrameHolders(holders);
    if (loaded.error != DecodeError::None) {
        throw std::runtime_error("frame " + std::to_string(loaded.frameNumber) +
                                 " does not decode: " + DescribeDecodeError(loaded.error));
    }
    for (int k = 0; k < kFrameCount; ++k) {
        const Picture& picture = holders[static_cast<std::size_t>(k)];
        Palette colours{};
        for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = screen.Shown(picture.palette[i]);
        Capture shown{kClientWidth, kClientHeight, std::vector<std::uint32_t>(kClientArea), {}};
        ColourSink sink{shown.pixels.data(), kClientWidth, {kClientWidth, kClientHeight}, colours};
        DrawPicture(picture, sink);
        byHash_.emplace(HashRegion(shown, {}), k);
        shown_[static_cast<std::size_t>(k)] = std::move(shown.pixels);
    }
}

bool FrameCatalog::Matches(int frameIndex, const Capture& capture, ClientOffset offset) const {
    const std::vector<std::uint32_t>& expected = shown_[static_cast<std::size_t>(frameIndex)];
    for (int y = 0; y < kClientHeight; ++y) {
        const std::uint32_t* row = &capture.pixels[static_cast<std::size_t>(y + offset.y) * capture.width + offset.x];
        const std::uint32_t* want = &expected[static_cast<std::size_t>(y) * kClientWidth];
        for (int x = 0; x < kClientWidth; ++x) {
            if (row[x] != want[x] && !(capture.covered && capture.covered->Contains(x + offset.x, y + offset.y)))
                return false;
        }
    }
    return true;
}

std::optional<int> FrameCatalog::Identify(const Capture& capture, ClientOffset offset) const {
    if (!Fits(capture, offset)) return std::nullopt;
    // Part of the picture covered: no hash of the whole, so each frame is compared in turn.
    if (capture.covered) {
        for (int k = 0; k < kFrameCount; ++k) {
            if (Matches(k, capture, offset)) return k + 1;
        }
        return std::nullopt;
    }
    const auto found = byHash_.find(HashRegion(capture, offset));
    if (found == byHash_.end() || !Matches(found->second, capture, offset)) return std::nullopt;
    return found->second + 1;
}

std::optional<ClientOffset> FrameCatalog::Locate(const Capture& capture) const {
    // Compares pixel by pixel, stopping at the first difference: cheap at every wrong offset.
    for (int y = 0; y + kClientHeight <= capture.height; ++y) {
        for (int x = 0; x + kClientWidth <= capture.width; ++x) {
            for (int k = 0; k < kFrameCount; ++k) {
                if (Matches(k, capture, {x, y})) return ClientOffset{x, y};
            }
        }
    }
    return std::nullopt;
}
