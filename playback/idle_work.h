// The work of one idle iteration of the pacing delay, and its calibration: the cost of an
// iteration is measured once at start, so that 1,000,000 iterations take a second on any machine
// and with any compiler.
#pragma once

#include <chrono>
#include <cstdint>

#include "playback/platform.h"

// Steps of a multiply-add chain whose factors are read from a volatile, so that no compiler can
// fold or drop them.
void RunIdleSteps(std::uint32_t steps);

// The time now, as the calibration reads it; the playback loop itself reads no clock.
using ClockReading = std::chrono::nanoseconds (*)();
std::chrono::nanoseconds SteadyClockNow();

struct IdleCalibration {
    std::uint32_t stepsPerTrial = 1U << 21;  // about 2.3 ms on a current processor; more on a coarse clock
    int trials = 5;                          // the fastest counts: a moment of load slows only some
    // A trial lasts at least this many ticks of the clock, so that a reading rounded to a tick is off
    // by at most 2 %: a browser's clock may tick only once a millisecond.
    int ticksPerTrial = 50;
};

// The clock's tick: the least step between two different readings, over this many changes of its
// reading (0 for a clock that never changes).
inline constexpr int kClockTicksObserved = 3;
std::chrono::nanoseconds ClockTick(ClockReading now);

// Steps per idle iteration, so that one iteration takes kIdleIterationTime; at least 1. The
// platform, if given, breathes between trials, which run long on a coarse clock.
std::uint32_t CalibrateIdleSteps(ClockReading now, const IdleCalibration& calibration = {},
                                 Platform* platform = nullptr);
