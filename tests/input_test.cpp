// What the keys and the pointer do to the animation, as the README's input table and the window's
// caption promise them: judged by the frames the loop shows, not by the codes the handlers store.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/window_layout.h"
#include "fake_platform.h"
#include "input/input_dispatcher.h"
#include "input/picture1_handlers.h"
#include "playback/playback.h"

namespace {

// The loop after its start sequence, with the dispatcher every platform feeds.
struct Viewer {
    FrameHolders holders;
    FrameTable table{};
    PlaybackState state;
    FakePlatform platform{holders};
    Playback loop{state, table, holders, platform, /*idleSteps=*/0};
    InputDispatcher input{state, platform};

    Viewer() { RunStartSequence(loop); }
    // Moves from one pass to the next, in the order shown.
    std::vector<int> Steps(int passes) {
        std::vector<int> steps;
        for (int i = 0; i < passes; ++i) {
            const int before = state.position;
            RunPass(loop);
            steps.push_back(((state.position - before) % kFrameCount + kFrameCount + kFrameCount / 2) % kFrameCount -
                            kFrameCount / 2);
        }
        return steps;
    }
    void Type(char key) { input.Dispatch(InputEvent::Typed(key)); }
    void Hold() {
        Type('.');
        Steps(1);
    }
};

using Steps = std::vector<int>;

TEST(Keys, PlusAndCommaRunForward) {
    for (const char key : {'+', ','}) {
        Viewer viewer;
        viewer.Hold();
        viewer.Type(key);
        EXPECT_EQ(viewer.Steps(4), (Steps{2, 1, 1, 1})) << "key '" << key << "'";
    }
}

TEST(Keys, MinusRunsBackward) {
    Viewer viewer;
    viewer.Type('-');
    EXPECT_EQ(viewer.Steps(4), (Steps{-2, -1, -1, -1}));
}

TEST(Keys, SlashStopsARunElseStepsOneBack) {
    Viewer viewer;
    viewer.Type('+');
    viewer.Steps(2);
    viewer.Type('/');
    EXPECT_EQ(viewer.Steps(2), (Steps{0, 0})) << "stops the run where it stands";
    viewer.Type('/');
    EXPECT_EQ(viewer.Steps(2), (Steps{-1, 0}));
}

TEST(Keys, StarDotAndSpaceStopARunElseStepOneForward) {
    for (const char key : {'*', '.', ' '}) {
        Viewer viewer;
        viewer.Type('-');
        viewer.Steps(2);
        viewer.Type(key);
        EXPECT_EQ(viewer.Steps(2), (Steps{0, 0})) << "key '" << key << "'";
        viewer.Type(key);
        EXPECT_EQ(viewer.Steps(2), (Steps{1, 0})) << "key '" << key << "'";
    }
}

TEST(Keys, OtherKeysChangeNothing) {
    Viewer viewer;
    // Control characters, letters and digits, characters beyond ASCII, and wide ones whose low 16
    // bits are a command character ('-', '+', '.', ESC): none may pass for a command.
    const std::initializer_list<char32_t> others = {'a',  'Z',     '0',     '=',     '_',    '<',     '\r',
                                                    '\b', '\t',    0,       0x7F,    0xE9,   0x2212, 0x1002D,
                                                    0x2002B, 0x3002E, 0x1001B, 0xFF0B};
    for (const char32_t key : others) {
        viewer.input.Dispatch(InputEvent::Typed(key));
        EXPECT_EQ(viewer.Steps(1), Steps{1}) << "key U+" << std::hex << static_cast<unsigned>(key);
    }
    viewer.Hold();
    viewer.input.Dispatch(InputEvent::Typed('\r'));
    EXPECT_EQ(viewer.Steps(1), Steps{0});
    // Nothing was left pending: the next step is one frame.
    viewer.Type('.');
    EXPECT_EQ(viewer.Steps(2), (Steps{1, 0}));
}

TEST(Keys, EscapeEndsTheProgramInAnyMode) {
    Viewer viewer;
    viewer.input.Dispatch(InputEvent::Pressed(10, 10, 0));
    viewer.input.Dispatch(InputEvent::Released(10, 10, 50));
    ASSERT_EQ(viewer.state.manualMode, 1);
    try {
        viewer.input.Dispatch(InputEvent::Typed(kKeyEscape));
        ADD_FAILURE() << "ESC did not end the program";
    } catch (const EndCalled& end) {
        EXPECT_EQ(end.reason, EndReason::Quit);
    }
}

// The caption is the help: every character it lists before "mouse" is a command, and ESC quits.
TEST(Caption, EveryKeyItNamesActs) {
    const std::size_t use = kCaption.find("Use:");
    const std::size_t mouse = kCaption.find("mouse", use);
    ASSERT_NE(use, std::string_view::npos);
    ASSERT_NE(mouse, std::string_view::npos);
    EXPECT_NE(kCaption.find("ESC to quit"), std::string_view::npos);
    int named = 0;
    for (const char key : kCaption.substr(use + 4, mouse - use - 4)) {
        if (key == ' ') continue;
        ++named;
        Viewer viewer;
        viewer.Type(key);
        EXPECT_NE(viewer.Steps(2), (Steps{1, 1})) << "'" << key << "' changes nothing";
    }
    EXPECT_EQ(named, 5);
}

TEST(Pointer, NearTheTopOrLeftEdgeIsFastTowardsTheBottomRightSlower) {
    Viewer viewer;
    auto idleAt = [&](int x, int y) {
        viewer.input.Dispatch(InputEvent::Moved(x, y));
        return IdleIterations(viewer.state.delayCount);
    };
    EXPECT_EQ(idleAt(0, 300), 1);
    EXPECT_EQ(idleAt(400, 0), 1);
    std::int64_t previous = 0;
    for (int step = 1; step <= 8; ++step) {
        const std::int64_t idle = idleAt(step * 99, step * 74);
        EXPECT_GT(idle, previous) << "slower towards the bottom-right";
        previous = idle;
    }
    // The slowest visible corner: about 11,350 iterations, far faster than the start's million.
    EXPECT_NEAR(static_cast<double>(idleAt(kClientWidth - 1, kClientHeight - 1)), 11'350, 5);
    // Dragged out of the window to the left: no idle time at all.
    EXPECT_EQ(idleAt(-5, 300), 0);
}

TEST(Pointer, ReportsThePictureAreasScaleAtItsEdges) {
    Viewer viewer;
    viewer.state.manualMode = 1;
    viewer.input.Dispatch(InputEvent::Moved(0, 0));
    EXPECT_EQ(viewer.state.lastPointerY, 0.0F);
    viewer.input.Dispatch(InputEvent::Moved(kClientWidth - 1, kClientHeight - 1));
    EXPECT_NEAR(viewer.state.lastPointerY, 25.45, 0.005) << "the lowest visible row";
    viewer.state.manualMode = 0;
    viewer.input.Dispatch(InputEvent::Moved(kClientWidth - 1, 1));
    EXPECT_NEAR(viewer.state.delayCount / (kPaceFactor * PictureY(1)), 14.86, 0.005) << "the right-most column";
}

TEST(Pointer, ManualModeStepsDownForwardUpBackOncePerPass) {
    Viewer viewer;
    viewer.input.Dispatch(InputEvent::Pressed(100, 100, 0));
    viewer.input.Dispatch(InputEvent::Released(100, 100, 60));
    EXPECT_EQ(viewer.Steps(1), Steps{1}) << "entering manual mode stops nothing";
    viewer.input.Dispatch(InputEvent::Moved(100, 120));
    EXPECT_EQ(viewer.Steps(1), Steps{1}) << "the first move stops the initial run one frame on";
    viewer.input.Dispatch(InputEvent::Moved(100, 140));
    EXPECT_EQ(viewer.Steps(1), Steps{1});
    viewer.input.Dispatch(InputEvent::Moved(100, 130));
    viewer.input.Dispatch(InputEvent::Moved(100, 20));
    EXPECT_EQ(viewer.Steps(2), (Steps{-1, 0})) << "however far it went, one step a pass";
    EXPECT_EQ(viewer.state.delayCount, kManualDelayCount);
    // The second click resumes the run as it was when manual mode began.
    viewer.input.Dispatch(InputEvent::Pressed(100, 20, 5000));
    viewer.input.Dispatch(InputEvent::Released(100, 20, 5060));
    EXPECT_EQ(viewer.Steps(2), (Steps{1, 1}));
}

TEST(Pointer, LeavingManualModeResumesAHold) {
    Viewer viewer;
    viewer.Hold();
    viewer.input.Dispatch(InputEvent::Pressed(100, 100, 0));
    viewer.input.Dispatch(InputEvent::Released(100, 100, 60));
    viewer.input.Dispatch(InputEvent::Moved(100, 200));
    EXPECT_EQ(viewer.Steps(1), Steps{1}) << "a step by hand";
    viewer.input.Dispatch(InputEvent::Pressed(100, 200, 5000));
    viewer.input.Dispatch(InputEvent::Released(100, 200, 5060));
    EXPECT_EQ(viewer.Steps(2), (Steps{0, 0}));
}

}  // namespace
