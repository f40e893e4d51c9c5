// Costs of the core: one idle iteration of the pacing delay, the starting count (with the idle work
// calibrated as the program does it at start), checking the frames.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/idle_platform.h"
#include "frames/frame_set.h"
#include "frames/pixel_sinks.h"
#include "playback/playback.h"

namespace {

constexpr float kManyIterations = 100'000;

// The idle work the program would choose on this machine, measured once as at start.
std::uint32_t CalibratedIdleSteps() {
    static const std::uint32_t steps = CalibrateIdleSteps(SteadyClockNow);
    return steps;
}

void PaceDelayFor(benchmark::State& state, float delayCount) {
    PlaybackState playbackState;
    playbackState.delayCount = delayCount;
    FrameTable table{};
    FrameHolders holders;
    IdlePlatform platform;
    Playback playback{playbackState, table, holders, platform, CalibratedIdleSteps()};
    std::int64_t iterations = 0;
    for (auto _ : state) iterations += PaceDelay(playback);
    // Seconds per idle iteration, shown as ns by the counter's inversion of a rate.
    state.counters["per_idle_iteration"] = benchmark::Counter(
        static_cast<double>(iterations), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["idle_steps"] = CalibratedIdleSteps();
}

// One idle iteration, through the real PaceDelay with the calibrated work per iteration.
void BM_IdleIteration(benchmark::State& state) { PaceDelayFor(state, kManyIterations); }
BENCHMARK(BM_IdleIteration)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The starting pace: the delay of 1,000,000 iterations that each pass takes until the pointer moves.
void BM_StartCount(benchmark::State& state) { PaceDelayFor(state, kStartDelayCount); }
BENCHMARK(BM_StartCount)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// Reading and checking every frame, as the program does at start.
void BM_CheckAllFrames(benchmark::State& state) {
    FrameHolders holders;
    for (auto _ : state) {
        const FrameLoadResult result = LoadFrameHolders(holders);
        benchmark::DoNotOptimize(result);
        if (result.error != DecodeError::None) state.SkipWithError("a frame is damaged");
    }
}
BENCHMARK(BM_CheckAllFrames)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Decoding one frame into a 32-bit window image of the visible area, as every show does.
void BM_DrawFrameIntoWindowImage(benchmark::State& state) {
    FrameHolders holders;
    if (LoadFrameHolders(holders).error != DecodeError::None) return state.SkipWithError("a frame is damaged");
    std::vector<std::uint32_t> image(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    std::size_t slot = 0;
    for (auto _ : state) {
        const Picture& picture = holders[slot];
        ColourSink sink{image.data(), kFrameWidth, {kFrameWidth - 1, kFrameHeight - 2}, picture.palette};
        DrawPicture(picture, sink);
        benchmark::DoNotOptimize(image.data());
        slot = (slot + 1) % holders.size();
    }
}
BENCHMARK(BM_DrawFrameIntoWindowImage)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
