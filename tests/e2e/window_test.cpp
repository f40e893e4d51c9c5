// The window as the user first sees it: frame 1, then a forward run; its caption, size and place.
#include <cstdlib>

#include "app/trenox_vk.h"
#include "tests/e2e/e2e_environment.h"

namespace {

// At the starting pace a frame lasts about a second; a loaded machine may take several.
constexpr auto kStartPaceTimeout = 10s;

using WindowTest = ProgramTest;

TEST_F(WindowTest, ShowsFrameOneFirstThenRunsForward) {
    EXPECT_EQ(Program().WatchFrames(4, kStartPaceTimeout), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(WindowTest, CaptionIsTheKeyHelp) {
    EXPECT_EQ(Program().WmName(), kCaption);
    EXPECT_EQ(Program().NetWmName(), kCaption);
}

TEST_F(WindowTest, ClientAreaIsFixedInSizeAndCentred) {
    ProgramUnderTest& program = Program();
    ASSERT_TRUE(program.WaitForFrame([](int) { return true; }, kStartPaceTimeout)) << "no frame was ever shown";
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
