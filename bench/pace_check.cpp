// Checks the pace this build chooses on this machine: with the idle work calibrated as at start,
// the starting count of 1,000,000 idle iterations takes about a second, whatever the compiler.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/idle_platform.h"
#include "playback/playback.h"

namespace {

constexpr int kCounts = 3;  // the fastest counts: a moment of load lengthens only some
constexpr double kLowest = 0.85;
constexpr double kHighest = 1.15;

}  // namespace

int main() {
    PlaybackState state;
    state.delayCount = kStartDelayCount;
    FrameTable table{};
    FrameHolders holders;
    IdlePlatform platform;
    Playback playback{state, table, holders, platform, CalibrateIdleSteps(SteadyClockNow)};
    double fastest = 1e9;
    std::printf("idle steps per iteration: %u; start count:", playback.idleSteps);
    for (int i = 0; i < kCounts; ++i) {
        const auto start = std::chrono::steady_clock::now();
        PaceDelay(playback);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        fastest = std::min(fastest, seconds);
        std::printf(" %.3f s", seconds);
    }
    const bool steady = fastest >= kLowest && fastest <= kHighest;
    std::printf("; fastest %.3f s, %s %.2f to %.2f s\n", fastest, steady ? "within" : "OUTSIDE", kLowest, kHighest);
    return steady ? EXIT_SUCCESS : EXIT_FAILURE;
}
