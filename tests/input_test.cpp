// The key and mouse handlers: what each input writes into the playback state.
#include <gtest/gtest.h>

#include "app/trenox_vk.h"
#include "fake_platform.h"
#include "input/picture1_handlers.h"

namespace {

struct Handlers : testing::Test {
    FrameHolders holders;
    FakePlatform platform{holders};
    PlaybackState state;
};

TEST_F(Handlers, CommandCharactersSetTheirRequests) {
    const std::pair<char, int> commands[] = {
        {'-', kRequestStartBackward}, {'+', kRequestStartForward}, {',', kRequestStartForward},
        {'/', kRequestStepBack},      {'*', kRequestStepForward},  {' ', kRequestStepForward},
        {'.', kRequestStepForward}};
    for (const auto& [key, request] : commands) {
        state.request = kRequestRun;
        Picture1_KeyPress(state, platform, key);
        EXPECT_EQ(state.request, request) << "key '" << key << "'";
    }
}

TEST_F(Handlers, OtherCharactersChangeNothing) {
    state.request = kRequestRun;
    state.position = 7;
    for (const std::int16_t key : std::initializer_list<std::int16_t>{'a', 'Z', '0', '=', '_', '<', 13, 8, 9, 0, 0xE9, -1}) {
        Picture1_KeyPress(state, platform, key);
        EXPECT_EQ(state.request, kRequestRun) << "key " << key;
    }
    EXPECT_EQ(state.position, 7);
}

TEST_F(Handlers, EscapeQuitsInAnyModeWithoutTouchingTheState) {
    state.manualMode = 1;
    state.request = kRequestHold;
    EXPECT_THROW(Picture1_KeyPress(state, platform, kKeyEscape), QuitCalled);
    EXPECT_EQ(state.request, kRequestHold);
    EXPECT_THROW(Picture1_DblClick(platform), QuitCalled);
}

TEST_F(Handlers, AutomaticMovesSetThePaceFromThePointerOnly) {
    state.request = kRequestStartBackward;
    Picture1_MouseMove(state, 0, 0, 2.0F, 10.0F);
    EXPECT_FLOAT_EQ(state.delayCount, 600.0F);
    EXPECT_EQ(state.request, kRequestStartBackward);
    Picture1_MouseMove(state, 1, 0, 0.0F, 25.0F);
    EXPECT_EQ(state.delayCount, 0.0F);
    Picture1_MouseMove(state, 1, 0, -0.5F, 10.0F);  // dragged out of the window to the left
    EXPECT_LT(state.delayCount, 0.0F);
    // The slowest visible corner: about 11,350 iterations.
    Picture1_MouseMove(state, 0, 0, PictureX(kClientWidth - 1), PictureY(kClientHeight - 1));
    EXPECT_NEAR(state.delayCount, 11'350.0F, 5.0F);
    EXPECT_EQ(state.manualMode, 0);
}

TEST_F(Handlers, ManualMovesStepDownForwardAndUpBack) {
    state.manualMode = 1;
    Picture1_MouseMove(state, 0, 0, 1.0F, 0.0F);  // level with the start value 0: forward
    EXPECT_EQ(state.request, kRequestStepForward);
    EXPECT_EQ(state.delayCount, kManualDelayCount);
    Picture1_MouseMove(state, 0, 0, 1.0F, 4.0F);
    EXPECT_EQ(state.request, kRequestStepForward);
    Picture1_MouseMove(state, 0, 0, 9.0F, 4.0F);  // sideways only: forward
    EXPECT_EQ(state.request, kRequestStepForward);
    Picture1_MouseMove(state, 0, 0, 9.0F, 3.5F);
    EXPECT_EQ(state.request, kRequestStepBack);
    EXPECT_EQ(state.lastPointerY, 3.5F);
}

TEST_F(Handlers, ClicksSaveTheRunAndRestoreItButNotThePositionOrPace) {
    state.request = kRequestRun;
    state.runningBackward = 1;
    Picture1_Click(state);
    EXPECT_EQ(state.manualMode, 1);
    EXPECT_EQ(state.request, kRequestRun);  // entering manual mode stops nothing
    state.request = kRequestHold;           // as the loop leaves it after manual steps
    state.runningBackward = 0;
    state.position = 11;
    state.delayCount = kManualDelayCount;
    Picture1_Click(state);
    EXPECT_EQ(state.manualMode, 0);
    EXPECT_EQ(state.request, kRequestRun);
    EXPECT_EQ(state.runningBackward, 1);
    EXPECT_EQ(state.runningForward, 0);
    EXPECT_EQ(state.position, 11);
    EXPECT_EQ(state.delayCount, kManualDelayCount);
}

TEST_F(Handlers, LeavingManualModeResumesAHold) {
    state.request = kRequestHold;
    Picture1_Click(state);
    state.request = kRequestStepForward;
    Picture1_Click(state);
    EXPECT_EQ(state.request, kRequestHold);
    EXPECT_EQ(state.runningForward + state.runningBackward, 0);
}

TEST(PointerScale, MapsPixelsOntoThePictureAreasOwnScale) {
    EXPECT_EQ(PictureX(0), 0.0F);
    EXPECT_EQ(PictureY(0), 0.0F);
    EXPECT_NEAR(PictureX(kClientWidth - 1), 14.86, 0.005);
    EXPECT_NEAR(PictureY(kClientHeight - 1), 25.45, 0.005);
    EXPECT_FLOAT_EQ(PictureX(kPictureWidth), kPictureScaleWidth);
    EXPECT_FLOAT_EQ(PictureY(kPictureHeight), kPictureScaleHeight);
    EXPECT_LT(PictureX(-3), 0.0F);
}

TEST(Caption, HasItsRunsOfSpacesAndText) {
    EXPECT_EQ(kCaption.size(), 142U);
    EXPECT_EQ(kCaption.substr(0, 18), std::string(18, ' '));
    EXPECT_EQ(kCaption.substr(18, 9), "Trenox VK");
    EXPECT_EQ(kCaption.substr(27, 9), std::string(9, ' '));
    EXPECT_EQ(kCaption.substr(36, 39), "Single-Crankshaft Opposed-Piston-Engine");
    EXPECT_EQ(kCaption.substr(75, 19), std::string(19, ' '));
    EXPECT_EQ(kCaption.substr(94, 21), "Use:  , . / + - mouse");
    EXPECT_EQ(kCaption.substr(115, 16), std::string(16, ' '));
    EXPECT_EQ(kCaption.substr(131), "ESC to quit");
}

}  // namespace
