// The mouse on the picture: a click switches to stepping with the pointer and back; a double-click quits.
#include <string>
#include <thread>

#include "tests/e2e/e2e_environment.h"

namespace {

// Clicks further apart than this are two clicks, not a double-click.
constexpr auto kBetweenClicks = 700ms;
constexpr int kStep = 10;  // pixels per pointer move
constexpr int kInside = 200;

using MouseTest = ProgramTest;

void ExpectMoveShows(ProgramUnderTest& program, int dx, int dy, int wanted) {
    program.MovePointerBy(dx, dy);
    ExpectShowsAndHolds(program, wanted, "a move by (" + std::to_string(dx) + ", " + std::to_string(dy) + ")");
}

TEST_F(MouseTest, ClickStepsWithThePointerAndClickAgainResumesTheRun) {
    ProgramUnderTest& program = Program();
    WaitUntilRunning();
    program.MovePointerTo(kInside, kInside);
    program.Click();
    // Entering manual mode stops nothing: the first move asks for a step, which stops the run.
    program.MovePointerBy(0, kStep);
    const std::optional<int> held = program.WaitForSteadyFrame(kLongerThanAPass, 2 * kFrameTimeout);
    ASSERT_TRUE(held.has_value()) << "the first move in manual mode did not stop the run";

    ExpectMoveShows(program, 0, kStep, FrameAfter(*held, 1));   // down: forward
    ExpectMoveShows(program, 0, kStep, FrameAfter(*held, 2));
    ExpectMoveShows(program, 0, -kStep, FrameAfter(*held, 1));  // up: back
    ExpectMoveShows(program, kStep, 0, FrameAfter(*held, 2));   // sideways counts as down

    // The second click resumes the run that the first one interrupted: forward. At this pace (about
    // 10 ms a frame) a busy machine may let a frame pass unseen, so a step of two counts as well;
    // the frames drawn while xdotool clicks go unseen anyway, so the steps count from the second.
    std::this_thread::sleep_for(kBetweenClicks);
    program.Click();
    const std::vector<int> seen = program.WatchFrames(5, kFrameTimeout);
    ASSERT_EQ(seen.size(), 5U);
    for (std::size_t i = 2; i < seen.size(); ++i) {
        EXPECT_TRUE(seen[i] == FrameAfter(seen[i - 1], 1) || seen[i] == FrameAfter(seen[i - 1], 2))
            << "frame " << seen[i] << " after " << seen[i - 1];
    }
}

TEST_F(MouseTest, DoubleClickEndsTheProgram) {
    WaitUntilShowing();
    Program().MovePointerTo(kInside, kInside);
    Program().DoubleClick();
    ExpectEndsCleanly(Program());
}

// ESC ends the program in manual mode and while holding, too.
TEST_F(MouseTest, EscapeEndsTheProgramInManualMode) {
    WaitUntilRunning();
    Program().MovePointerTo(kInside, kInside);
    Program().Click();
    Program().MovePointerBy(0, kStep);
    ASSERT_TRUE(Program().WaitForSteadyFrame(kLongerThanAPass, 2 * kFrameTimeout).has_value());
    Program().PressKey("Escape");
    ExpectEndsCleanly(Program());
}

}  // namespace
