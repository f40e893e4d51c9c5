// The start sequence and one pass of the playback loop.
#include "playback/playback.h"

namespace {

// Positions only ever move by a frame or two; this keeps any sum inside the table.
int Wrapped(int position) { return ((position % kFrameCount) + kFrameCount) % kFrameCount; }

constexpr int kOneBack = kFrameCount - 1;

}  // namespace

void RunStartSequence(Playback& playback) {
    playback.frameTable[0] = &playback.holders[0];
    playback.platform.ShowPicture(*playback.frameTable[0]);
    // Measured with frame 1 already on screen, so the measurement does not delay it.
    if (playback.clock != nullptr) playback.idleSteps = CalibrateIdleSteps(playback.clock, {}, &playback.platform);
    for (std::size_t slot = 1; slot < kFrameCount; ++slot) {
        playback.frameTable[slot] = &playback.holders[slot];
        playback.platform.ProcessPendingEvents();
    }
    // Overwrites whatever the handlers wrote while the table was filling; nothing else is reset.
    playback.state.request = kRequestRun;
    playback.state.delayCount = kStartDelayCount;
}

void RunPass(Playback& playback) {
    PlaybackState& s = playback.state;
    // Each step tests what the steps before it have left.
    if (s.request == kRequestStartBackward) {
        s.position = Wrapped(s.position + kOneBack);
        s.runningForward = 0;
        s.runningBackward = 1;
        s.request = kRequestRun;
    }
    if (s.request == kRequestStartForward) {
        s.position = Wrapped(s.position + 1);
        s.runningBackward = 0;
        s.runningForward = 1;
        s.request = kRequestRun;
    }
    if (s.request == kRequestStepBack) {
        s.position = Wrapped(s.position + kOneBack + s.runningBackward + s.runningForward);
        s.runningForward = 0;
        s.runningBackward = 0;
        s.request = kRequestHold;
    }
    if (s.request == kRequestStepForward) {
        s.position = Wrapped(s.position + 1 - s.runningBackward - s.runningForward);
        s.runningForward = 0;
        s.runningBackward = 0;
        s.request = kRequestHold;
    }
    if (s.request != kRequestHold && s.runningBackward == 0) s.position = Wrapped(s.position + s.request);
    if (s.runningBackward == 1) s.position = Wrapped(s.position + kOneBack);

    playback.platform.ShowPicture(*playback.frameTable[static_cast<std::size_t>(s.position)]);
    PaceDelay(playback);
}

void RunPlayback(Playback& playback) {
    RunStartSequence(playback);
    for (;;) RunPass(playback);
}
