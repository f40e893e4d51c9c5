// Keys typed into the focused window reach the loop as the characters they type: from the main
// keys, from the keypad and on another keyboard layout; ESC ends the program. What each command
// does is the core's to prove (tests/input_test.cpp).
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
    const int held = SpeedUpAndHold();  // with "*"
    ExpectKeyShows("slash", FrameAfter(held, -1));
}

// Keys from the main block ("*" with Shift) and from the keypad, each read as the character it types.
TEST_F(KeyboardTest, TypedCommandCharactersReachTheLoop) {
    const int held = SpeedUpAndHold();  // with "*"
    ExpectKeyShows("period", FrameAfter(held, 1));
    ExpectKeyShows("KP_Divide", held);
}

TEST_F(KeyboardTest, EscapeEndsTheProgram) {
    WaitUntilRunning();  // by then the window surely has the keyboard focus
    Program().PressKey("Escape");
    ExpectEndsCleanly(Program());
}

}  // namespace
