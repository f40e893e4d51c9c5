// The playback loop: the start sequence that fills the frame table, then one pass after another.
#pragma once

#include <cstdint>

#include "app/platform.h"
#include "frames/frame_set.h"
#include "playback/playback_state.h"

inline constexpr float kStartDelayCount = 1'000'000;

// Cost of one idle iteration of the pacing delay, in steps of a dependent arithmetic chain:
// chosen so that the starting count of 1,000,000 iterations takes about a second.
inline constexpr std::uint32_t kSpinsPerIdleIteration = 700;

// What the loop works on: the main window's state, frame table and pictures, and its platform.
struct Playback {
    PlaybackState& state;
    FrameTable& frameTable;
    const FrameHolders& holders;
    Platform& platform;
    std::uint32_t spinsPerIdleIteration = kSpinsPerIdleIteration;
};

// Runs the start sequence and then the loop; ends only through the platform's quit action.
[[noreturn]] void RunPlayback(Playback& playback);

void RunStartSequence(Playback& playback);
void RunPass(Playback& playback);

// The idle count a delay of `delayCount` runs: floor(delayCount) + 1, none when negative.
std::int64_t IdleIterations(float delayCount);

// Idles for IdleIterations(delayCount), then processes pending events. Returns the iterations run.
std::int64_t PaceDelay(Playback& playback);
