// The pacing delay's idle work: its calibration against a scripted clock, and the breaths it takes.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "fake_platform.h"
#include "playback/playback.h"

namespace {

using std::chrono::nanoseconds;

// A clock that reads as scripted: each trial's start, then its end.
struct ScriptedClock {
    static inline std::vector<nanoseconds> readings;
    static inline std::size_t next = 0;
    static inline std::function<void()> onRead;

    static void Script(const std::vector<nanoseconds>& trialTimes) {
        readings.clear();
        next = 0;
        onRead = nullptr;
        nanoseconds now{1'000'000};
        for (const nanoseconds t : trialTimes) {
            readings.push_back(now);
            readings.push_back(now + t);
            now += t + nanoseconds{50'000};
        }
    }
    static nanoseconds Now() {
        if (onRead) onRead();
        return readings.at(next++);
    }
};

TEST(IdleCalibration, TakesTheFastestTrialSoThatAnIterationLastsAMicrosecond) {
    // 4,000 steps in 2 us at best: half a nanosecond a step, so 2,000 steps to a microsecond.
    ScriptedClock::Script({nanoseconds{9000}, nanoseconds{2000}, nanoseconds{4000}});
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 4000, .trials = 3}), 2000U);
    EXPECT_EQ(ScriptedClock::next, 6U);  // each trial read the clock before and after, nothing more

    // A moment of load in the first trials does not slow the pace that is chosen.
    ScriptedClock::Script({nanoseconds{50'000}, nanoseconds{30'000}, nanoseconds{3000}});
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 3000, .trials = 3}), 1000U);
}

TEST(IdleCalibration, NeverChoosesLessThanOneStepNorDividesByZero) {
    ScriptedClock::Script({nanoseconds{5'000'000}});  // a very slow step: 5 us
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 1, .trials = 1}), 1U);
    ScriptedClock::Script({nanoseconds{0}});  // a clock too coarse to see the trial at all
    EXPECT_GE(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 1000, .trials = 1}), 1000U);
}

TEST(IdleCalibration, TheStartSequenceMeasuresOnceWithFrameOneAlreadyOnScreen) {
    FrameHolders holders;
    FrameTable table{};
    PlaybackState state;
    FakePlatform platform{holders};
    Playback loop{state, table, holders, platform, /*idleSteps=*/0, &ScriptedClock::Now};
    ScriptedClock::Script(std::vector<nanoseconds>(IdleCalibration{}.trials, nanoseconds{1'000'000}));
    std::vector<int> shownAtFirstReading;
    int eventPassesAtFirstReading = -1;
    ScriptedClock::onRead = [&] {
        if (eventPassesAtFirstReading >= 0) return;
        shownAtFirstReading = platform.shown;
        eventPassesAtFirstReading = platform.eventPasses;
    };
    RunStartSequence(loop);
    EXPECT_EQ(shownAtFirstReading, std::vector<int>{0});
    EXPECT_EQ(eventPassesAtFirstReading, 0);
    EXPECT_EQ(ScriptedClock::next, ScriptedClock::readings.size());
    // 2^21 steps in a millisecond at best: 2,097 to the microsecond.
    EXPECT_EQ(loop.idleSteps, 2097U);
}

TEST(PaceDelay, BreathesOncePerThousandIterationsAndOnlyThenProcessesEvents) {
    FrameHolders holders;
    FrameTable table{};
    PlaybackState state;
    FakePlatform platform{holders};
    Playback loop{state, table, holders, platform, /*idleSteps=*/0};
    int breathsBeforeEvents = -1;
    platform.At(1, [&] { breathsBeforeEvents = platform.breaths; });
    state.delayCount = 3 * kIdleIterationsPerBreath - 1;  // 3,072 iterations
    PaceDelay(loop);
    EXPECT_EQ(breathsBeforeEvents, 3);
    EXPECT_EQ(platform.breaths, 3);
    EXPECT_EQ(platform.eventPasses, 1);

    state.delayCount = kIdleIterationsPerBreath - 2;  // one short of the first breath
    PaceDelay(loop);
    EXPECT_EQ(platform.breaths, 3);
    EXPECT_EQ(platform.eventPasses, 2);
}

}  // namespace
