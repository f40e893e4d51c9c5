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

// A clock that stands still for this many readings is given up on.
constexpr int kMostTickReads = 1 << 24;
// A trial is lengthened at most to this: some seconds of work.
constexpr std::uint64_t kMostStepsPerTrial = std::uint64_t{1} << 32;

// Runs `steps` idle steps in pieces about the size of an idle iteration, as the pacing delay does;
// how long they took.
std::chrono::nanoseconds Trial(ClockReading now, std::uint64_t steps) {
    const std::chrono::nanoseconds start = now();
    for (std::uint64_t done = 0; done < steps; done += kStepsPerPiece)
        RunIdleSteps(static_cast<std::uint32_t>(std::min<std::uint64_t>(kStepsPerPiece, steps - done)));
    return now() - start;
}

}  // namespace

// Not inlined into the calibration: a browser compiles the function anew once it is warm, and the
// calibration must time the same code the pacing delay runs.
[[gnu::noinline]] void RunIdleSteps(std::uint32_t steps) {
    std::uint64_t chain = chainEnd;
    for (std::uint32_t k = 0; k < steps; ++k) chain = chain * chainMultiplier + kChainIncrement;
    chainEnd = chain;
}

std::chrono::nanoseconds SteadyClockNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

std::chrono::nanoseconds ClockTick(ClockReading now) {
    auto tick = std::chrono::nanoseconds::max();
    std::chrono::nanoseconds last = now();
    for (int changes = 0, reads = 0; changes < kClockTicksObserved && reads < kMostTickReads; ++reads) {
        const std::chrono::nanoseconds reading = now();
        if (reading == last) continue;
        tick = std::min(tick, reading - last);
        last = reading;
        ++changes;
    }
    return tick == std::chrono::nanoseconds::max() ? std::chrono::nanoseconds{0} : tick;
}

std::uint32_t CalibrateIdleSteps(ClockReading now, const IdleCalibration& calibration, Platform* platform) {
    const std::chrono::nanoseconds tick = ClockTick(now);
    const std::chrono::nanoseconds shortestTrial = tick * calibration.ticksPerTrial;
    std::uint64_t steps = calibration.stepsPerTrial;
    std::chrono::nanoseconds fastest = Trial(now, steps);
    // Too short for this clock to read: lengthened until it is not; only trials that long count.
    while (fastest < shortestTrial && steps < kMostStepsPerTrial) {
        const double seen = static_cast<double>(std::max({fastest, tick, std::chrono::nanoseconds{1}}).count());
        const double factor = std::max(2.0, static_cast<double>(shortestTrial.count()) / seen);
        steps = static_cast<std::uint64_t>(std::min(std::ceil(static_cast<double>(steps) * factor),
                                                    static_cast<double>(kMostStepsPerTrial)));
        if (platform != nullptr) platform->Breathe();
        fastest = Trial(now, steps);
    }
    for (int trial = 1; trial < calibration.trials; ++trial) {
        if (platform != nullptr) platform->Breathe();
        fastest = std::min(fastest, Trial(now, steps));
    }
    const double trialNs = std::max<double>(1.0, static_cast<double>(fastest.count()));
    const double stepsPerIteration =
        std::round(static_cast<double>(kIdleIterationTime.count()) * static_cast<double>(steps) / trialNs);
    return static_cast<std::uint32_t>(
        std::clamp(stepsPerIteration, 1.0, double{std::numeric_limits<std::uint32_t>::max()}));
}
