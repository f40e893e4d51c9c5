// Turns typed characters and mouse actions into requests to the playback loop.
#include "input/picture1_handlers.h"

#include "playback/pace.h"

namespace {

constexpr KeyCommand kKeyCommands[] = {
    {'-', kRequestStartBackward}, {'+', kRequestStartForward}, {',', kRequestStartForward},
    {'/', kRequestStepBack},      {'*', kRequestStepForward},  {'.', kRequestStepForward},
    {' ', kRequestStepForward},
};

}  // namespace

std::span<const KeyCommand> KeyCommands() { return kKeyCommands; }

void Picture1_KeyPress(PlaybackState& state, Platform& platform, std::int16_t keyAscii) {
    if (keyAscii == kEscapeKeyAscii) platform.End(EndReason::Quit);
    for (const KeyCommand& command : kKeyCommands) {
        if (keyAscii == command.character) {
            state.request = command.request;
            return;
        }
    }
}

void Picture1_MouseMove(PlaybackState& state, std::int16_t /*button*/, std::int16_t /*shift*/, float x, float y) {
    if (state.manualMode == 0) {
        state.delayCount = AutomaticDelayCount(x, y);
        return;
    }
    state.delayCount = kManualDelayCount;
    state.request = y >= state.lastPointerY ? kRequestStepForward : kRequestStepBack;
    state.lastPointerY = y;
}

void Picture1_Click(PlaybackState& state) {
    if (state.manualMode == 0) {
        state.savedRequest = state.request;
        state.savedRunningForward = state.runningForward;
        state.savedRunningBackward = state.runningBackward;
    }
    state.manualMode = (state.manualMode + 1) % 2;
    if (state.manualMode == 0) {
        state.request = state.savedRequest;
        state.runningForward = state.savedRunningForward;
        state.runningBackward = state.savedRunningBackward;
    }
}

void Picture1_DblClick(Platform& platform) { platform.End(EndReason::Quit); }
