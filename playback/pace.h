// The pace of the animation in one place: the idle counts that set it, what one idle iteration
// costs, and how the pointer turns into a count.
#pragma once

#include <chrono>
#include <cstdint>

// Idle iterations per pass: at start, and while the pointer steps the frames by hand.
inline constexpr float kStartDelayCount = 1'000'000;
inline constexpr float kManualDelayCount = 10'000;

// In automatic mode the count is x * kPaceFactor * y, in the picture area's own scale: small near
// the top and left edges (fast), about 11,350 at the bottom-right corner (slower).
inline constexpr float kPaceFactor = 30;
inline float AutomaticDelayCount(float x, float y) { return x * kPaceFactor * y; }

// One idle iteration is calibrated to take this long, so the start count takes a second.
inline constexpr std::chrono::nanoseconds kIdleIterationTime{1000};

// The pacing delay lets the platform breathe once per this many idle iterations (about 1 ms).
inline constexpr std::int64_t kIdleIterationsPerBreath = 1024;
