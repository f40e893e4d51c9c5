// The pointer on the picture reaches the loop: a move sets the pace, a click switches to stepping
// with the pointer, a double-click quits. What each does in every mode is the core's to prove
// (tests/input_test.cpp, tests/input_dispatcher_test.cpp).
#include <string>

#include "tests/e2e/e2e_environment.h"

namespace {

constexpr int kStep = 10;  // pixels per pointer move
constexpr int kInside = 200;

using MouseTest = ProgramTest;

TEST_F(MouseTest, AMoveNearTheCornerSpeedsTheRunUp) {
    WaitUntilRunning();
    Program().MovePointerTo(kNearCorner, kNearCorner);
    // Read at the end of the pass it came in or of the next: two frames on, the pace is the pointer's.
    ASSERT_EQ(Program().WatchFrames(3, 2 * kFrameTimeout).size(), 3U) << "the run did not go on";
    // At the starting pace (a second a frame, longer on a busy machine) three at most would come.
    EXPECT_EQ(Program().WatchFrames(kFastFrames, kLongerThanAPass).size(), kFastFrames) << "the run did not speed up";
}

TEST_F(MouseTest, ClickThenMoveStepsWithThePointer) {
    ProgramUnderTest& program = Program();
    WaitUntilRunning();
    program.MovePointerTo(kInside, kInside);
    program.Click();
    // Entering manual mode stops nothing: the first move asks for a step, which stops the run.
    program.MovePointerBy(0, kStep);
    const std::optional<int> held = program.WaitForSteadyFrame(kLongerThanAPass, 2 * kFrameTimeout);
    ASSERT_TRUE(held.has_value()) << "the first move in manual mode did not stop the run";
    program.MovePointerBy(0, kStep);
    ExpectShowsAndHolds(program, FrameAfter(*held, 1), "a move down by " + std::to_string(kStep));
}

TEST_F(MouseTest, DoubleClickEndsTheProgram) {
    WaitUntilShowing();
    Program().MovePointerTo(kInside, kInside);
    Program().DoubleClick();
    ExpectEndsCleanly(Program());
}

}  // namespace
