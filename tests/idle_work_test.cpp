// The pacing delay's idle work: its calibration against a scripted clock, and the breaths it takes.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "fake_platform.h"
#include "playback/playback.h"

namespace {

using std::chrono::nanoseconds;

// A clock that reads as scripted: first a tick apart, as often as the calibration looks for the tick;
// then each trial's start and end.
struct ScriptedClock {
    static inline std::vector<nanoseconds> readings;
    static inline std::size_t next = 0;
    static inline std::function<void()> onRead;
    static constexpr std::size_t kTickReadings = kClockTicksObserved + 1;

    static void Script(const std::vector<nanoseconds>& trialTimes, nanoseconds tick = nanoseconds{1}) {
        readings.clear();
        next = 0;
        onRead = nullptr;
        nanoseconds now{1'000'000};
        for (std::size_t k = 0; k < kTickReadings; ++k, now += tick) readings.push_back(now);
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
    // Past the tick, each trial read the clock before and after, nothing more.
    EXPECT_EQ(ScriptedClock::next, ScriptedClock::kTickReadings + 6U);

    // A moment of load in the first trials does not slow the pace that is chosen.
    ScriptedClock::Script({nanoseconds{50'000}, nanoseconds{30'000}, nanoseconds{3000}});
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 3000, .trials = 3}), 1000U);
}

TEST(IdleCalibration, NeverChoosesLessThanOneStepNorDividesByZero) {
    ScriptedClock::Script({nanoseconds{5'000'000}});  // a very slow step: 5 us
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 1, .trials = 1}), 1U);
    ScriptedClock::Script({nanoseconds{0}});  // a clock too coarse to see the trial at all
    EXPECT_GE(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 1000, .trials = 1, .ticksPerTrial = 0}),
              1000U);
}

TEST(IdleCalibration, OnACoarseClockLengthensTrialsUntilTheyCanBeReadAndCountsOnlyThose) {
    // A browser's clock, ticking once a millisecond: a trial must last 50 ms to be read within 2 %.
    FrameHolders holders;
    FakePlatform platform{holders};
    ScriptedClock::Script({nanoseconds{0}, std::chrono::milliseconds{10},  // too short: 50 times, then 5
                           std::chrono::milliseconds{125}, std::chrono::milliseconds{100},
                           std::chrono::milliseconds{110}},
                          std::chrono::milliseconds{1});
    // 4,000 x 50 x 5 = 1,000,000 steps in 100 ms at best: 10 to the microsecond. Counting a short
    // trial would have given thousands.
    EXPECT_EQ(CalibrateIdleSteps(&ScriptedClock::Now, {.stepsPerTrial = 4000, .trials = 3}, &platform), 10U);
    EXPECT_EQ(ScriptedClock::next, ScriptedClock::readings.size());
    // The platform breathed before every trial but the first, and ran no events.
    EXPECT_EQ(platform.breaths, 4);
    EXPECT_EQ(platform.eventPasses, 0);
}

TEST(IdleCalibration, SeesTheClocksTickAndGivesUpOnAClockThatStandsStill) {
    ScriptedClock::Script({}, nanoseconds{250});
    EXPECT_EQ(ClockTick(&ScriptedClock::Now), nanoseconds{250});
    EXPECT_EQ(ClockTick([] { return nanoseconds{42}; }), nanoseconds{0});
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
