// The one dispatcher every platform's input goes through: clicks, double-clicks and moves.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "input/input_dispatcher.h"
#include "input/picture_area.h"
#include "playback/pace.h"

namespace {

struct Dispatcher : testing::Test {
    FrameHolders holders;
    FakePlatform platform{holders};
    PlaybackState state;
    InputDispatcher input{state, platform};

    // A press and a release at (x, y), `time` ms into the platform's clock.
    void Click(int x, int y, EventTime time) {
        input.Dispatch(InputEvent::Pressed(x, y, time));
        input.Dispatch(InputEvent::Released(x, y, time + 80));
    }
    bool EndsTheProgram(const InputEvent& event) {
        try {
            input.Dispatch(event);
        } catch (const EndCalled&) {
            return true;
        }
        return false;
    }
};

TEST_F(Dispatcher, AClickIsAPressAndAReleaseBothOverThePicture) {
    input.Dispatch(InputEvent::Pressed(100, 100, 1000));
    EXPECT_EQ(state.manualMode, 0) << "a press alone switches nothing";
    input.Dispatch(InputEvent::Released(300, 400, 1100));  // the pointer may move in between
    EXPECT_EQ(state.manualMode, 1);
    input.Dispatch(InputEvent::Released(300, 400, 1200));
    EXPECT_EQ(state.manualMode, 1) << "one press, one click";

    input.Dispatch(InputEvent::Pressed(100, 100, 5000));
    input.Dispatch(InputEvent::Released(kVisibleWidth, 100, 5100));
    EXPECT_EQ(state.manualMode, 1) << "released beside the picture";
    input.Dispatch(InputEvent::Pressed(-1, 100, 9000));
    input.Dispatch(InputEvent::Released(100, 100, 9100));
    EXPECT_EQ(state.manualMode, 1) << "pressed beside the picture";
    input.Dispatch(InputEvent::Pressed(100, kVisibleHeight, 13000));
    input.Dispatch(InputEvent::Released(100, 100, 13100));
    EXPECT_EQ(state.manualMode, 1) << "pressed below the visible rows";
}

TEST_F(Dispatcher, TwoPressesWithinTheTimeAndFourPixelsEndTheProgram) {
    Click(200, 200, 10'000);
    EXPECT_TRUE(EndsTheProgram(InputEvent::Pressed(204, 196, 10'500)));
    EXPECT_FALSE(EndsTheProgram(InputEvent::Pressed(204, 196, 11'001))) << "501 ms later";
    EXPECT_FALSE(EndsTheProgram(InputEvent::Pressed(209, 196, 11'100))) << "5 pixels away";
    // A press beside the picture is not remembered: it neither makes nor breaks a double-click.
    EXPECT_FALSE(EndsTheProgram(InputEvent::Pressed(-2, 196, 11'150)));
    EXPECT_TRUE(EndsTheProgram(InputEvent::Pressed(209, 196, 11'200)));
}

TEST_F(Dispatcher, TheFirstClickOfADoubleClickStillCounts) {
    Click(50, 50, 1000);
    EXPECT_EQ(state.manualMode, 1);
    EXPECT_TRUE(EndsTheProgram(InputEvent::Pressed(50, 50, 1300)));
}

TEST_F(Dispatcher, EventTimesThatWrapAt32BitsStillCount) {
    input.Dispatch(InputEvent::Pressed(50, 50, 0xFFFF'FF00U));
    EXPECT_TRUE(EndsTheProgram(InputEvent::Pressed(50, 50, 0x0000'00F4U))) << "500 ms across the wrap";
    input.Dispatch(InputEvent::Pressed(50, 50, 0xFFFF'FF00U));
    EXPECT_FALSE(EndsTheProgram(InputEvent::Pressed(50, 50, 0x0000'0100U))) << "512 ms across the wrap";
}

TEST(DispatcherSettings, ThePlatformsOwnDoubleClickTimeReplacesTheDefault) {
    FrameHolders holders;
    FakePlatform platform{holders};
    PlaybackState state;
    InputDispatcher slow{state, platform, 900};
    slow.Dispatch(InputEvent::Pressed(10, 10, 0));
    EXPECT_THROW(slow.Dispatch(InputEvent::Pressed(10, 10, 850)), EndCalled);
    InputDispatcher quick{state, platform, 200};
    quick.Dispatch(InputEvent::Pressed(10, 10, 0));
    EXPECT_NO_THROW(quick.Dispatch(InputEvent::Pressed(10, 10, 250)));
}

TEST_F(Dispatcher, MovesReachTheHandlerInThePictureAreasScaleOncePerPixel) {
    state.manualMode = 1;
    state.lastPointerY = 10;
    input.Dispatch(InputEvent::Moved(40, 100));  // above y 10 in the picture's scale: back
    EXPECT_EQ(state.request, kRequestStepBack);
    EXPECT_FLOAT_EQ(state.lastPointerY, PictureY(100));
    state.request = kRequestHold;
    input.Dispatch(InputEvent::Moved(40, 100));
    EXPECT_EQ(state.request, kRequestHold) << "a move to the same pixel is nothing new";
    input.Dispatch(InputEvent::Moved(41, 100));
    EXPECT_EQ(state.request, kRequestStepForward) << "sideways counts as down";
}

TEST_F(Dispatcher, CharactersAreTypedKeys) {
    input.Dispatch(InputEvent::Typed('-'));
    EXPECT_EQ(state.request, kRequestStartBackward);
    EXPECT_TRUE(EndsTheProgram(InputEvent::Typed(kKeyEscape)));
}

TEST_F(Dispatcher, ActivationIsRememberedAndACloseEndsTheProgramAsClosed) {
    EXPECT_FALSE(input.Activated());
    input.Dispatch(InputEvent::Activated());
    EXPECT_TRUE(input.Activated());
    input.Dispatch(InputEvent::Activated());
    EXPECT_TRUE(input.Activated()) << "activated once is enough";
    EXPECT_EQ(state.request, 0) << "activation touches no playback state";
    try {
        input.Dispatch(InputEvent::CloseRequested());
        ADD_FAILURE() << "a close request did not end the program";
    } catch (const EndCalled& end) {
        EXPECT_EQ(end.reason, EndReason::WindowClosed);
    }
}

}  // namespace
