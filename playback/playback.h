// The playback loop: the start sequence that fills the frame table, then one pass after another.
#pragma once

#include <cstdint>

#include "playback/platform.h"
#include "frames/frame_set.h"
#include "playback/idle_work.h"
#include "playback/pace.h"
#include "playback/playback_state.h"

// What the loop works on: the main window's state, frame table and pictures, and its platform.
struct Playback {
    PlaybackState& state;
    FrameTable& frameTable;
    const FrameHolders& holders;
    Platform& platform;
    std::uint32_t idleSteps = 0;    // the work of one idle iteration (see idle_work.h)
    ClockReading clock = nullptr;   // given: the start sequence measures idleSteps against it
};

// Runs the start sequence and then the loop; ends only through the platform's quit action.
[[noreturn]] void RunPlayback(Playback& playback);

void RunStartSequence(Playback& playback);
void RunPass(Playback& playback);

// The idle count a delay of `delayCount` runs: floor(delayCount) + 1, none when negative.
std::int64_t IdleIterations(float delayCount);

// Idles for IdleIterations(delayCount), then processes pending events. Returns the iterations run.
std::int64_t PaceDelay(Playback& playback);
