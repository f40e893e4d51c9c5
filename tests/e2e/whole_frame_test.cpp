// The window never shows parts of two frames: each frame reaches the screen whole, at any pace.
#include <set>

#include "tests/e2e/e2e_environment.h"

namespace {

using WholeFrameTest = ProgramTest;

// At the fastest pace (pointer at the picture's top-left) frames follow each other as fast as they
// can be drawn. Captured while the program runs on, every capture must be exactly one frame: a
// frame put on screen in parts, or written while the X server still reads the one before, shows
// as a capture that matches none.
TEST_F(WholeFrameTest, EveryCaptureAtFullSpeedIsOneWholeFrame) {
    constexpr int kCaptures = 200;
    constexpr std::size_t kFramesToSpeedUp = 8;
    ProgramUnderTest& program = Program();
    WaitUntilRunning();
    program.MovePointerTo(0, 0);
    ASSERT_EQ(program.WatchFrames(kFramesToSpeedUp, kFrameTimeout).size(), kFramesToSpeedUp) << "the run did not go on";
    std::set<int> framesSeen;
    int torn = 0;
    for (int capture = 0; capture < kCaptures; ++capture) {
        if (const std::optional<int> frame = program.FrameShownNow(); frame.has_value()) {
            framesSeen.insert(*frame);
        } else {
            ++torn;
        }
    }
    EXPECT_EQ(torn, 0) << torn << " of " << kCaptures << " captures showed no whole frame";
    EXPECT_GT(framesSeen.size(), 1U) << "the run stood still while it was captured";
}

}  // namespace
