// On an 8-bit PseudoColor screen whose shared colormap has no room left, the window takes a
// colormap of its own and still shows the frames in their exact colours.
#include "tests/e2e/e2e_environment.h"

#include <X11/Xlib.h>

#include <vector>

namespace {

// Takes every free cell of the screen's default colormap for the test's own connection.
std::vector<unsigned long> FillDefaultColormap(Display* display) {
    const Colormap colormap = DefaultColormap(display, DefaultScreen(display));
    std::vector<unsigned long> taken;
    unsigned long pixel = 0;
    while (XAllocColorCells(display, colormap, False, nullptr, 0, &pixel, 1) != 0) taken.push_back(pixel);
    XSync(display, False);
    return taken;
}

TEST(ColourmapTest, AFullSharedColormapGivesTheWindowItsOwn) {
    Display* display = SharedServer().Connection();
    if (DefaultVisual(display, DefaultScreen(display))->c_class != PseudoColor)
        GTEST_SKIP() << "the screen is not PseudoColor";
    const Colormap shared = DefaultColormap(display, DefaultScreen(display));
    std::vector<unsigned long> taken = FillDefaultColormap(display);
    ASSERT_FALSE(taken.empty()) << "the shared colormap was full already";
    {
        ProgramUnderTest program(SharedServer(), Frames(), Options().command);
        ASSERT_NE(program.ProgramWindow(), 0U) << "the program's window never came up";
        // Each frame is identified by its exact colours, as the colormap installed now shows them.
        const std::vector<int> seen = program.WatchFrames(3, 3 * kFrameTimeout);
        EXPECT_EQ(seen.size(), 3U) << "the frames were not shown in their colours";
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, program.ProgramWindow(), &attributes);
        EXPECT_NE(attributes.colormap, shared);
    }
    XFreeColors(display, shared, taken.data(), static_cast<int>(taken.size()), 0);
    XSync(display, False);
}

}  // namespace
