// The pacing delay: a busy idle count whose length is the pace of the animation, then the events.
#include <cmath>

#include "playback/playback.h"

namespace {

// Multiplier and increment of a 64-bit linear congruential step: a multiply-add chain that the
// compiler cannot fold, so one idle iteration costs the same on every pass.
constexpr std::uint64_t kChainMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kChainIncrement = 1442695040888963407ULL;

// Longest idle count taken; far beyond any pace the pointer can set, it only keeps the cast defined.
constexpr double kLongestIdleCount = 0x1p62;

volatile std::uint64_t idleSink = 0;  // keeps every iteration's work observable

}  // namespace

std::int64_t IdleIterations(float delayCount) {
    // A float counter stops advancing at 2^24, so the count is taken as a whole 64-bit number.
    if (!(delayCount >= 0)) return 0;  // negative (or not a number): no idle time at all
    return static_cast<std::int64_t>(std::floor(std::fmin(static_cast<double>(delayCount), kLongestIdleCount))) + 1;
}

std::int64_t PaceDelay(Playback& playback) {
    const std::int64_t iterations = IdleIterations(playback.state.delayCount);
    const std::uint32_t spins = playback.spinsPerIdleIteration;
    std::uint64_t chain = idleSink;
    for (std::int64_t i = 0; i < iterations; ++i) {
        for (std::uint32_t k = 0; k < spins; ++k) chain = chain * kChainMultiplier + kChainIncrement;
        idleSink = chain;
    }
    playback.platform.ProcessPendingEvents();
    return iterations;
}
