// The keys of the caption, typed into the focused window: runs, stops, single steps, ESC; the
// same characters from the keypad and on another keyboard layout.
#include "tests/e2e/e2e_environment.h"

namespace {

using KeyboardTest = ProgramTest;

// At the starting pace (no pointer move), so that every frame of the run is seen: the pass that
// reads a run key goes two frames in its direction (1 forward, -1 back), then one per pass.
void ExpectRunsAfterKey(ProgramUnderTest& program, const std::string& keyName, int direction) {
    // Typed just after a frame appears, the key is read at the end of that frame's pass.
    const std::vector<int> before = program.WatchFrames(2, kFrameTimeout);
    ASSERT_EQ(before.size(), 2U) << "the run stopped before " << keyName;
    program.PressKey(keyName);
    const std::vector<int> seen = program.WatchFrames(3, 2 * kFrameTimeout);
    ASSERT_EQ(seen.size(), 3U) << keyName;
    EXPECT_EQ(seen[0], before.back()) << keyName;
    EXPECT_EQ(seen[1], FrameAfter(seen[0], 2 * direction)) << keyName;
    EXPECT_EQ(seen[2], FrameAfter(seen[1], direction)) << keyName;
}

// The commands are characters, not keys: on a German layout "/" is Shift+7, "*" Shift and the "+"
// key, and "-" sits where the US layout has "/".
class GermanLayoutTest : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(RunTool({"setxkbmap", "de"}, SharedServer().Name()), 0) << "setxkbmap de failed";
        ProgramTest::SetUp();
    }
    void TearDown() override { RunTool({"setxkbmap", "us"}, SharedServer().Name()); }
};

TEST_F(GermanLayoutTest, CommandCharactersRunStopAndStep) {
    WaitUntilShowing();
    ExpectRunsAfterKey(Program(), "minus", -1);
    ExpectRunsAfterKey(Program(), "plus", 1);
    Program().PressKey("asterisk");
    const std::optional<int> held = Program().WaitForSteadyFrame(kLongerThanAPass, 2 * kFrameTimeout);
    ASSERT_TRUE(held.has_value()) << "\"*\" did not stop the run";
    ExpectKeyShows("period", FrameAfter(*held, 1));
    ExpectKeyShows("slash", *held);
    ExpectKeyShows("space", FrameAfter(*held, 1));
}

TEST_F(KeyboardTest, KeypadMinusAndPlusRun) {
    WaitUntilShowing();
    ExpectRunsAfterKey(Program(), "KP_Subtract", -1);
    ExpectRunsAfterKey(Program(), "KP_Add", 1);
}

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

TEST_F(KeyboardTest, RunBackwardThenForward) {
    WaitUntilShowing();
    for (const auto& [key, direction] : {std::pair{"minus", -1}, std::pair{"comma", 1}, std::pair{"plus", 1}})
        ExpectRunsAfterKey(Program(), key, direction);
}

TEST_F(KeyboardTest, EscapeEndsTheProgram) {
    WaitUntilRunning();  // by then the window surely has the keyboard focus
    Program().PressKey("Escape");
    ExpectEndsCleanly(Program());
}

}  // namespace
