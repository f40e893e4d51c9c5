// Cost of showing a frame and processing the window's events with the real Xlib layer under Xvfb.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>

#include "app/x11/x11_platform.h"
#include "tests/e2e/x_server.h"

namespace {

void BM_ShowFrameAndProcessEvents(benchmark::State& state) {
    // A private display, so the figure does not depend on whatever desktop runs the benchmark.
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    if (!server) return state.SkipWithError("no X server could be started");
    setenv("DISPLAY", server->Name().c_str(), 1);

    static Trenox_VK window;  // static: the layer's window outlives nothing it refers to
    if (!window.LoadPictures()) return state.SkipWithError("the frames do not decode");
    {
        X11Platform platform(window);
        if (const std::optional<EndReason> failure = platform.Open())
            return state.SkipWithError("the window does not open");
        platform.ShowWindow();
        std::size_t slot = 0;
        for (auto _ : state) {
            platform.ShowPicture(window.images[slot]);
            platform.ProcessPendingEvents();
            slot = (slot + 1) % window.images.size();
        }
    }
    unsetenv("DISPLAY");
}
BENCHMARK(BM_ShowFrameAndProcessEvents)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
