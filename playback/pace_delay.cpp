// The pacing delay: a busy idle count whose length is the pace of the animation, then the events.
#include <cmath>
#include <limits>

#include "playback/playback.h"

namespace {

// Multiplier and increment of a 64-bit linear congruential step: a multiply-add chain that the
// compiler cannot fold, so one idle iteration costs the same on every pass.
constexpr std::uint64_t kChainMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kChainIncrement = 1442695040888963407ULL;

volatile std::uint64_t idleSink = 0;  // keeps every iteration's work observable

void IdleCount(std::int64_t iterations, std::uint32_t spinsPerIteration) {
    std::uint64_t chain = idleSink;
    for (std::int64_t i = 0; i < iterations; ++i) {
        for (std::uint32_t k = 0; k < spinsPerIteration; ++k) chain = chain * kChainMultiplier + kChainIncrement;
        idleSink = chain;
    }
}

}  // namespace

std::int64_t IdleIterations(float delayCount) {
    // A float counter stops advancing at 2^24, so the count is taken as a whole 64-bit number.
    if (!(delayCount >= 0)) return 0;  // negative (or not a number): no idle time at all
    constexpr auto kLongest = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
    return static_cast<std::int64_t>(std::floor(std::fmin(static_cast<double>(delayCount), kLongest))) + 1;
}

std::int64_t PaceDelay(Playback& playback) {
    const std::int64_t iterations = IdleIterations(playback.state.delayCount);
    IdleCount(iterations, playback.spinsPerIdleIteration);
    playback.platform.ProcessPendingEvents();
    return iterations;
}
