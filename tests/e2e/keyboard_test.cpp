// The keys of the caption, typed into the focused window: runs, stops, single steps, ESC.
#include "tests/e2e/e2e_environment.h"

namespace {

using KeyboardTest = ProgramTest;

TEST_F(KeyboardTest, StopThenStepForwardAndBack) {
    const int held = SpeedUpAndHold();
    ExpectKeyShows("period", FrameAfter(held, 1));
    ExpectKeyShows("space", FrameAfter(held, 2));
    ExpectKeyShows("asterisk", FrameAfter(held, 3));
    ExpectKeyShows("slash", FrameAfter(held, 2));
    ExpectKeyShows("slash", FrameAfter(held, 1));
}

TEST_F(KeyboardTest, OtherKeysChangeNothing) {
    const int held = SpeedUpAndHold();
    for (const char* key : {"a", "Return", "BackSpace", "5"}) Program().PressKey(key);
    EXPECT_EQ(Program().WaitForSteadyFrame(kHeldFor, kFrameTimeout), held);
    // Still listening, and nothing left pending: the next step is one frame.
    ExpectKeyShows("period", FrameAfter(held, 1));
}

// At the starting pace (no pointer move), so that every frame of the run is seen: the pass that
// takes "-" goes back two frames, then one per pass; "," and "+" likewise forward.
TEST_F(KeyboardTest, RunBackwardThenForward) {
    ProgramUnderTest& program = Program();
    WaitUntilShowing();
    for (const auto& [key, direction] : {std::pair{"minus", -1}, std::pair{"comma", 1}, std::pair{"plus", 1}}) {
        // Typed just after a frame appears, the key is read at the end of that frame's pass.
        const std::vector<int> before = program.WatchFrames(2, kFrameTimeout);
        ASSERT_EQ(before.size(), 2U) << "the run stopped before " << key;
        program.PressKey(key);
        const std::vector<int> seen = program.WatchFrames(3, 2 * kFrameTimeout);
        ASSERT_EQ(seen.size(), 3U) << key;
        EXPECT_EQ(seen[0], before.back()) << key;
        EXPECT_EQ(seen[1], FrameAfter(seen[0], 2 * direction)) << key;
        EXPECT_EQ(seen[2], FrameAfter(seen[1], direction)) << key;
    }
}

TEST_F(KeyboardTest, EscapeEndsTheProgram) {
    WaitUntilRunning();  // by then the window surely has the keyboard focus
    Program().PressKey("Escape");
    ExpectEndsCleanly(Program());
}

}  // namespace
