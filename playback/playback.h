// The playback loop: the start sequence that fills the frame table, then one pass after another.
#pragma once

#include <cstdint>

#include "playback/platform.h"
#include "frames/frame_set.h"
#include "playback/idle_work.h"
#include "playback/playback_state.h"

inline constexpr float kStartDelayCount = 1'000'000;

// The pacing delay lets the platform breathe once per this many idle iterations (about 1 ms).
inline constexpr std::int64_t kIdleIterationsPerBreath = 1024;

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
