// Clicks and double-clicks from the left button, as the X11 and browser layers recognise them.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/left_button_clicks.h"

namespace {

using ServerClicks = LeftButtonClicks<std::uint32_t>;

TEST(LeftButtonClicks, AClickIsAPressAndAReleaseBothOverThePicture) {
    ServerClicks clicks;
    EXPECT_FALSE(clicks.Press(100, 100, 1000));
    EXPECT_TRUE(clicks.Release(300, 400));  // the pointer may move between them
    EXPECT_FALSE(clicks.Release(300, 400)) << "one press, one click";

    clicks.Press(100, 100, 5000);
    EXPECT_FALSE(clicks.Release(kClientWidth, 100)) << "released beside the picture";
    clicks.Press(-1, 100, 9000);
    EXPECT_FALSE(clicks.Release(100, 100)) << "pressed beside the picture";
}

TEST(LeftButtonClicks, TwoPressesWithin500MsAnd4PixelsAreADoubleClick) {
    ServerClicks clicks;
    EXPECT_FALSE(clicks.Press(200, 200, 10'000));
    EXPECT_TRUE(clicks.Press(204, 196, 10'500));
    EXPECT_FALSE(clicks.Press(204, 196, 11'001)) << "501 ms later";
    EXPECT_FALSE(clicks.Press(209, 196, 11'100)) << "5 pixels away";
    // A press beside the picture is not remembered: it neither makes nor breaks a double-click.
    EXPECT_FALSE(clicks.Press(-2, 196, 11'150));
    EXPECT_TRUE(clicks.Press(209, 196, 11'200));
}

TEST(LeftButtonClicks, ServerTimesThatWrapAt32BitsStillCount) {
    ServerClicks clicks;
    clicks.Press(50, 50, 0xFFFF'FF00U);
    EXPECT_TRUE(clicks.Press(50, 50, 0x0000'00F4U)) << "500 ms across the wrap";
    clicks.Press(50, 50, 0xFFFF'FF00U);
    EXPECT_FALSE(clicks.Press(50, 50, 0x0000'0100U)) << "512 ms across the wrap";
}

TEST(LeftButtonClicks, BrowserTimesAreRealMilliseconds) {
    LeftButtonClicks<double> clicks;
    clicks.Press(50, 50, 1000.0);
    EXPECT_FALSE(clicks.Press(50, 50, 1500.5));
    EXPECT_TRUE(clicks.Press(50, 50, 2000.0));
}

}  // namespace
