// The pacing delay: a busy idle count whose length is the pace of the animation, then the events.
#include <cmath>

#include "playback/playback.h"

namespace {

// Longest idle count taken; far beyond any pace the pointer can set, it only keeps the cast defined.
constexpr double kLongestIdleCount = 0x1p62;

}  // namespace

std::int64_t IdleIterations(float delayCount) {
    // A float counter stops advancing at 2^24, so the count is taken as a whole 64-bit number.
    if (!(delayCount >= 0)) return 0;  // negative (or not a number): no idle time at all
    return static_cast<std::int64_t>(std::floor(std::fmin(static_cast<double>(delayCount), kLongestIdleCount))) + 1;
}

std::int64_t PaceDelay(Playback& playback) {
    const std::int64_t iterations = IdleIterations(playback.state.delayCount);
    for (std::int64_t i = 1; i <= iterations; ++i) {
        RunIdleSteps(playback.idleSteps);
        if (i % kIdleIterationsPerBreath == 0) playback.platform.Breathe();
    }
    playback.platform.ProcessPendingEvents();
    return iterations;
}
