// The window as the user first sees it: frame 1, then a forward run; its caption, size and place.
#include <cstdlib>

#include "app/window_layout.h"
#include "tests/e2e/e2e_environment.h"

namespace {

using WindowTest = ProgramTest;
using StartTest = ::testing::Test;

// Frame 1 is on screen only while the start sequence runs, a few milliseconds before frame 2: on
// a busy machine the test may be scheduled too late to see it, even with the program at the lowest
// priority. So it may start the program again; every start must show frame 1 or 2 first, one of
// them frame 1, and then frame 2.
TEST_F(StartTest, ShowsFrameOneFirst) {
    constexpr int kStarts = 5;
    bool sawFrameOne = false;
    for (int start = 1; start <= kStarts && !sawFrameOne; ++start) {
        ProgramUnderTest program(SharedServer(), Frames(), Options().command, /*yielding=*/true);
        const std::optional<int> first = program.WaitForFrame([](int) { return true; }, kFrameTimeout);
        ASSERT_TRUE(first.has_value()) << "start " << start << ": no frame was ever shown";
        sawFrameOne = *first == 1;
        if (sawFrameOne) {
            EXPECT_EQ(program.WaitForFrame([](int frame) { return frame != 1; }, kFrameTimeout), 2);
        } else {
            EXPECT_EQ(*first, 2) << "start " << start;
        }
    }
    EXPECT_TRUE(sawFrameOne) << "frame 1 was never seen in " << kStarts << " starts";
}

TEST_F(WindowTest, RunsForwardFromTheStart) {
    WaitUntilRunning();
    const std::vector<int> seen = Program().WatchFrames(3, 3 * kFrameTimeout);
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_EQ(seen[1], FrameAfter(seen[0], 1));
    EXPECT_EQ(seen[2], FrameAfter(seen[1], 1));
}

TEST_F(WindowTest, CaptionIsTheKeyHelp) {
    EXPECT_EQ(Program().WmName(), kCaption);
    EXPECT_EQ(Program().NetWmName(), kCaption);
}

TEST_F(WindowTest, ClientAreaIsFixedInSizeAndCentred) {
    ASSERT_NO_FATAL_FAILURE(WaitUntilShowing());
    ProgramUnderTest& program = Program();
    const ScreenRect window = program.WindowRect();
    const ClientOffset offset = *program.Offset();
    // A frame drawn inside the window (by Wine, without a window manager) has equal left, right and bottom edges.
    const ScreenRect client{window.x + offset.x, window.y + offset.y, window.width - 2 * offset.x,
                            window.height - offset.y - offset.x};
    EXPECT_EQ(client.width, kClientWidth);
    EXPECT_EQ(client.height, kClientHeight);

    // Centred with its frame, if a window manager draws one: equal margins left and right, above
    // and below, give or take a pixel of rounding.
    const ScreenRect outer = program.OuterRect();
    EXPECT_LE(std::abs(outer.x - (kScreenWidth - outer.x - outer.width)), 1) << "left edge at " << outer.x;
    EXPECT_LE(std::abs(outer.y - (kScreenHeight - outer.y - outer.height)), 1) << "top edge at " << outer.y;

    // The user cannot resize it: the size hints pin the smallest and largest size to the client size.
    const std::optional<SizeLimits> limits = program.SizeHints();
    ASSERT_TRUE(limits.has_value()) << "the window gives no smallest and largest size";
    EXPECT_EQ(limits->minWidth, limits->maxWidth);
    EXPECT_EQ(limits->minHeight, limits->maxHeight);
    EXPECT_EQ(limits->maxWidth, window.width);
    EXPECT_EQ(limits->maxHeight, window.height);
}

}  // namespace
