// Costs of the core: one idle iteration of the pacing delay, the starting count, decoding the frames.
#include <benchmark/benchmark.h>

#include "frames/frame_set.h"
#include "playback/playback.h"

namespace {

// A window that does nothing when asked to process events: the delay's own cost is measured alone.
class IdlePlatform final : public Platform {
public:
    void ShowPicture(const Picture& /*picture*/) override {}
    void ProcessPendingEvents() override {}
    [[noreturn]] void Quit() override { std::abort(); }
};

constexpr float kManyIterations = 100'000;

void PaceDelayFor(benchmark::State& state, float delayCount) {
    PlaybackState playbackState;
    playbackState.delayCount = delayCount;
    FrameTable table{};
    FrameHolders holders;
    IdlePlatform platform;
    Playback playback{playbackState, table, holders, platform};
    std::int64_t iterations = 0;
    for (auto _ : state) iterations += PaceDelay(playback);
    // Seconds per idle iteration, shown as ns by the counter's inversion of a rate.
    state.counters["per_idle_iteration"] = benchmark::Counter(
        static_cast<double>(iterations), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One idle iteration, through the real PaceDelay with the real spins per iteration.
void BM_IdleIteration(benchmark::State& state) { PaceDelayFor(state, kManyIterations); }
BENCHMARK(BM_IdleIteration)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The starting pace: the delay of 1,000,000 iterations that each pass takes until the pointer moves.
void BM_StartCount(benchmark::State& state) { PaceDelayFor(state, kStartDelayCount); }
BENCHMARK(BM_StartCount)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DecodeAllFrames(benchmark::State& state) {
    FrameHolders holders;
    for (auto _ : state) {
        const FrameLoadResult result = LoadFrameHolders(holders);
        benchmark::DoNotOptimize(result);
        if (result.error != DecodeError::None) state.SkipWithError("a frame does not decode");
    }
}
BENCHMARK(BM_DecodeAllFrames)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
