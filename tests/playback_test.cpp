// The playback loop's semantics, pass by pass, against a scripted fake window.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_platform.h"
#include "input/picture1_handlers.h"
#include "playback/playback.h"

namespace {

constexpr int kStartEventPasses = kFrameCount - 1;

struct Rig {
    FrameHolders holders;
    FrameTable table{};
    PlaybackState state;
    FakePlatform platform{holders};
    Playback loop{state, table, holders, platform, /*idleSteps=*/0};

    // Runs the start sequence, then `passes` passes; returns the slots those passes showed.
    std::vector<int> Run(int passes) {
        if (platform.eventPasses == 0) RunStartSequence(loop);
        const std::size_t before = platform.shown.size();
        for (int i = 0; i < passes; ++i) RunPass(loop);
        return {platform.shown.begin() + static_cast<std::ptrdiff_t>(before), platform.shown.end()};
    }
    // Runs `action` in the pacing delay of loop pass `pass` (1-based): it acts on pass `pass` + 1.
    void AfterPass(int pass, std::function<void()> action) { platform.At(kStartEventPasses + pass, std::move(action)); }
    void KeyAfterPass(int pass, char key) {
        AfterPass(pass, [this, key] { Picture1_KeyPress(state, platform, key); });
    }
};

TEST(StartSequence, ShowsFrameOneThenFillsTheTableWithSeventeenEventPasses) {
    Rig rig;
    RunStartSequence(rig.loop);
    EXPECT_EQ(rig.platform.shown, std::vector<int>{0});
    EXPECT_EQ(rig.platform.eventPasses, kStartEventPasses);
    for (std::size_t slot = 0; slot < kFrameCount; ++slot) EXPECT_EQ(rig.table[slot], &rig.holders[slot]);
    EXPECT_EQ(rig.state.request, kRequestRun);
    EXPECT_EQ(rig.state.delayCount, kStartDelayCount);
}

TEST(StartSequence, OverwritesRequestAndPaceButKeepsManualModeFromItsEvents) {
    Rig rig;
    rig.platform.At(3, [&] { Picture1_KeyPress(rig.state, rig.platform, '-'); });
    rig.platform.At(4, [&] { Picture1_MouseMove(rig.state, 0, 0, 1.0F, 1.0F); });
    rig.platform.At(5, [&] { Picture1_Click(rig.state); });
    RunStartSequence(rig.loop);
    EXPECT_EQ(rig.state.request, kRequestRun);
    EXPECT_EQ(rig.state.delayCount, kStartDelayCount);
    EXPECT_EQ(rig.state.manualMode, 1);
    EXPECT_EQ(rig.state.savedRequest, kRequestStartBackward);
}

TEST(StartSequence, EscapeWhileLoadingQuits) {
    Rig rig;
    rig.platform.At(2, [&] { Picture1_KeyPress(rig.state, rig.platform, kEscapeKeyAscii); });
    EXPECT_THROW(RunStartSequence(rig.loop), EndCalled);
    EXPECT_EQ(rig.platform.eventPasses, 2);
}

TEST(Loop, RunsForwardFromSlotOneAndWraps) {
    Rig rig;
    const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 0, 1};
    EXPECT_EQ(rig.Run(19), expected);
}

TEST(Loop, EveryPassShowsOneFrameThenProcessesEventsOnce) {
    Rig rig;
    rig.Run(5);
    EXPECT_EQ(rig.platform.shown.size(), 1U + 5U);
    EXPECT_EQ(rig.platform.eventPasses, kStartEventPasses + 5);
}

// One pass from a given state: what it shows and what it leaves.
struct PassCase {
    const char* name;
    int position, request, runningForward, runningBackward;
    int shows, requestAfter, forwardAfter, backwardAfter;
};

class OnePass : public testing::TestWithParam<PassCase> {};

TEST_P(OnePass, MovesAndSetsFlagsAsTheRequestSays) {
    const PassCase& c = GetParam();
    Rig rig;
    RunStartSequence(rig.loop);
    rig.state.position = c.position;
    rig.state.request = c.request;
    rig.state.runningForward = c.runningForward;
    rig.state.runningBackward = c.runningBackward;
    RunPass(rig.loop);
    EXPECT_EQ(rig.platform.shown.back(), c.shows);
    EXPECT_EQ(rig.state.position, c.shows);
    EXPECT_EQ(rig.state.request, c.requestAfter);
    EXPECT_EQ(rig.state.runningForward, c.forwardAfter);
    EXPECT_EQ(rig.state.runningBackward, c.backwardAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, OnePass,
    testing::Values(
        // name, position, request, fwd, back -> shows, request, fwd, back
        PassCase{"InitialRunAdvances", 4, kRequestRun, 0, 0, 5, kRequestRun, 0, 0},
        PassCase{"BackwardRunRetreatsAndWraps", 0, kRequestRun, 0, 1, 17, kRequestRun, 0, 1},
        PassCase{"HoldStays", 9, kRequestHold, 0, 0, 9, kRequestHold, 0, 0},
        PassCase{"ForwardStartSkipsTwoAndWraps", 16, kRequestStartForward, 0, 0, 0, kRequestRun, 1, 0},
        PassCase{"ForwardStartWhileBackwardTurnsRound", 5, kRequestStartForward, 0, 1, 7, kRequestRun, 1, 0},
        PassCase{"BackwardStartGoesBackTwoAndWraps", 1, kRequestStartBackward, 0, 0, 17, kRequestRun, 0, 1},
        PassCase{"BackwardStartWhileForwardTurnsRound", 5, kRequestStartBackward, 1, 0, 3, kRequestRun, 0, 1},
        PassCase{"StepForwardInInitialRunMovesThenHolds", 5, kRequestStepForward, 0, 0, 6, kRequestHold, 0, 0},
        PassCase{"StepForwardStopsAForwardRun", 5, kRequestStepForward, 1, 0, 5, kRequestHold, 0, 0},
        PassCase{"StepForwardStopsABackwardRun", 5, kRequestStepForward, 0, 1, 5, kRequestHold, 0, 0},
        PassCase{"StepForwardWhileHoldingWraps", 17, kRequestStepForward, 0, 0, 0, kRequestHold, 0, 0},
        PassCase{"StepBackWhileHoldingWraps", 0, kRequestStepBack, 0, 0, 17, kRequestHold, 0, 0},
        PassCase{"StepBackInInitialRunMovesBackThenHolds", 5, kRequestStepBack, 0, 0, 4, kRequestHold, 0, 0},
        PassCase{"StepBackStopsAForwardRun", 0, kRequestStepBack, 1, 0, 0, kRequestHold, 0, 0},
        PassCase{"StepBackStopsABackwardRun", 17, kRequestStepBack, 0, 1, 17, kRequestHold, 0, 0}),
    [](const testing::TestParamInfo<PassCase>& info) { return info.param.name; });

TEST(Loop, KeysBetweenPassesActOnTheNextPassAndTheLastOneWins) {
    Rig rig;
    rig.KeyAfterPass(1, '-');
    rig.KeyAfterPass(1, '*');  // overrides it: the initial run moves one more frame and holds
    rig.KeyAfterPass(3, '.');
    rig.KeyAfterPass(4, '.');
    rig.KeyAfterPass(4, ' ');  // two steps between the same passes give one step
    rig.KeyAfterPass(5, '/');
    rig.KeyAfterPass(6, '+');  // a forward run: two on at once
    rig.KeyAfterPass(8, '/');  // stops it where it stands
    const std::vector<int> expected = {1, 2, 2, 3, 4, 3, 5, 6, 6, 6};
    EXPECT_EQ(rig.Run(10), expected);
}

TEST(Loop, ALetterADigitOrEnterChangesNothing) {
    Rig rig;
    rig.KeyAfterPass(1, 'a');
    rig.KeyAfterPass(2, '7');
    rig.KeyAfterPass(3, '\r');
    const std::vector<int> expected = {1, 2, 3, 4, 5};
    EXPECT_EQ(rig.Run(5), expected);
}

TEST(Loop, ManualModeStepsWithThePointerAndTheSecondClickResumesTheRun) {
    Rig rig;
    auto at = [&](int pass, std::function<void()> action) { rig.AfterPass(pass, std::move(action)); };
    at(1, [&] { Picture1_KeyPress(rig.state, rig.platform, '-'); });  // running backward from pass 2
    at(3, [&] { Picture1_Click(rig.state); });                        // manual: still running
    at(4, [&] { Picture1_MouseMove(rig.state, 0, 0, 3.0F, 10.0F); });  // first move stops the run
    at(5, [&] { Picture1_MouseMove(rig.state, 0, 0, 3.0F, 12.0F); });  // down: one forward
    at(6, [&] {
        Picture1_MouseMove(rig.state, 0, 0, 3.0F, 11.0F);  // up, then further up: one back
        Picture1_MouseMove(rig.state, 0, 0, 3.0F, 9.0F);
    });
    at(7, [&] { Picture1_Click(rig.state); });  // back to automatic: running backward again
    // Pass 1: 1. Pass 2 handles '-': back two to 17. Passes 3-4 run back: 16, 15.
    // Pass 5 stops it where it is; 6 steps forward; 7 steps back; 8-9 resume running backward.
    const std::vector<int> expected = {1, 17, 16, 15, 15, 16, 15, 14, 13};
    EXPECT_EQ(rig.Run(9), expected);
    EXPECT_EQ(rig.state.delayCount, kManualDelayCount);  // kept until the next automatic move
    EXPECT_EQ(rig.state.lastPointerY, 9.0F);
}

TEST(Loop, DoubleClickDuringPlaybackQuits) {
    Rig rig;
    rig.AfterPass(3, [&] { Picture1_DblClick(rig.platform); });
    EXPECT_THROW(RunPlayback(rig.loop), EndCalled);
    EXPECT_EQ(rig.platform.shown, (std::vector<int>{0, 1, 2, 3}));
}

TEST(PaceDelay, CountsTheWholePartPlusOneAndNoneWhenNegative) {
    EXPECT_EQ(IdleIterations(0.0F), 1);
    EXPECT_EQ(IdleIterations(0.99F), 1);
    EXPECT_EQ(IdleIterations(2.5F), 3);
    EXPECT_EQ(IdleIterations(kManualDelayCount), 10'001);
    EXPECT_EQ(IdleIterations(kStartDelayCount), 1'000'001);
    EXPECT_EQ(IdleIterations(-0.5F), 0);
    EXPECT_EQ(IdleIterations(-3000.0F), 0);
    EXPECT_EQ(IdleIterations(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(PaceDelay, EndsBeyondWhereASinglePrecisionCounterWouldStick) {
    constexpr float kStuck = 16'777'216.0F;  // 2^24: adding 1 to a float no longer changes it
    ASSERT_EQ(kStuck + 1.0F, kStuck);
    Rig rig;
    rig.state.delayCount = kStuck + 2.0F;
    EXPECT_EQ(PaceDelay(rig.loop), 16'777'219);
    EXPECT_EQ(rig.platform.eventPasses, 1);
}

TEST(PaceDelay, AnyNegativePaceStillProcessesEvents) {
    Rig rig;
    rig.state.delayCount = -1.0F;
    EXPECT_EQ(PaceDelay(rig.loop), 0);
    EXPECT_EQ(rig.platform.eventPasses, 1);
}

}  // namespace
