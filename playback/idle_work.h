// The work of one idle iteration of the pacing delay, and its calibration: the cost of an
// iteration is measured once at start, so that 1,000,000 iterations take a second on any machine
// and with any compiler.
#pragma once

#include <chrono>
#include <cstdint>

// Steps of a multiply-add chain whose factors are read from a volatile, so that no compiler can
// fold or drop them.
void RunIdleSteps(std::uint32_t steps);

// The time now, as the calibration reads it; the playback loop itself reads no clock.
using ClockReading = std::chrono::nanoseconds (*)();
std::chrono::nanoseconds SteadyClockNow();

struct IdleCalibration {
    std::uint32_t stepsPerTrial = 1U << 21;  // about 2.3 ms on a current processor
    int trials = 5;                          // the fastest counts: a moment of load slows only some
};

// Steps per idle iteration, so that one iteration takes kIdleIterationTime; at least 1.
std::uint32_t CalibrateIdleSteps(ClockReading now, const IdleCalibration& calibration = {});
