// Idle steps and their calibration against the clock.
#include "playback/idle_work.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "playback/pace.h"

namespace {

// Each step is one multiply-add of a dependent chain, the multiplier read afresh from a volatile:
// no compiler can fold steps whose factors it cannot know, and a chain bound by the multiply's
// latency costs the same whatever else the processor runs beside it.
volatile std::uint64_t chainMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kChainIncrement = 1442695040888963407ULL;
volatile std::uint64_t chainEnd = 0;  // keeps the chain's result observable

constexpr std::uint32_t kStepsPerPiece = 1024;

}  // namespace

void RunIdleSteps(std::uint32_t steps) {
    std::uint64_t chain = chainEnd;
    for (std::uint32_t k = 0; k < steps; ++k) chain = chain * chainMultiplier + kChainIncrement;
    chainEnd = chain;
}

std::chrono::nanoseconds SteadyClockNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

std::uint32_t CalibrateIdleSteps(ClockReading now, const IdleCalibration& calibration) {
    auto fastest = std::chrono::nanoseconds::max();
    for (int trial = 0; trial < calibration.trials; ++trial) {
        const std::chrono::nanoseconds start = now();
        // In pieces about the size of an idle iteration, so the trial costs what the pacing delay does.
        for (std::uint32_t done = 0; done < calibration.stepsPerTrial; done += kStepsPerPiece)
            RunIdleSteps(std::min(kStepsPerPiece, calibration.stepsPerTrial - done));
        fastest = std::min(fastest, now() - start);
    }
    const double trialNs = std::max<double>(1.0, static_cast<double>(fastest.count()));
    const double steps = std::round(static_cast<double>(kIdleIterationTime.count()) *
                                    calibration.stepsPerTrial / trialNs);
    return static_cast<std::uint32_t>(std::clamp(steps, 1.0, double{std::numeric_limits<std::uint32_t>::max()}));
}
