// Time from the program's start to frame 1 on screen, and its peak resident memory, under Xvfb.
// Usage: trenox_startup [--each] [--weston] [runs] -- program [arguments...] [-- program [arguments...]]...
//   --each: instead of the summary, one line per start: "<ms to frame 1> <peak MB>", for scripts;
//           with several programs, started in turn, each line begins with the program's number (1, 2, ...).
//   --weston: in a Wayland session, all in one weston on that Xvfb, its window fades off.
// trenox_startup --caption prints the caption the program's window is found by.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "app/window_layout.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/weston_session.h"

namespace {

constexpr int kDefaultRuns = 9;
constexpr auto kSettle = 2s;  // a few passes of the loop, so the peak includes running, not only starting

// Peak resident memory of a process, in kB, from the kernel's own record (VmHWM).
long PeakResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + std::strlen("VmHWM:"), nullptr, 10);
    }
    return -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts `command` and waits for frame 1; its start-up time in ms and peak memory in MB, if it came.
std::optional<std::pair<double, double>> MeasureStart(XServer& server, const FrameCatalog& frames,
                                                      const std::vector<std::string>& command) {
    ProgramUnderTest program(server, frames, command, /*yielding=*/false);
    // Frame 2 follows frame 1 within milliseconds; either shows that frame 1 has been drawn.
    if (!program.WaitForFrame([](int frame) { return frame <= 2; }, kFrameTimeout)) return std::nullopt;
    const auto shown = std::chrono::steady_clock::now() - program.Process().StartedAt();
    std::this_thread::sleep_for(kSettle);
    constexpr double kKbPerMb = 1024;
    return std::pair{std::chrono::duration<double, std::milli>(shown).count(),
                     static_cast<double>(PeakResidentKb(program.Process().Pid())) / kKbPerMb};
}

}  // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    bool each = false;
    bool inWeston = false;
    std::vector<std::vector<std::string>> commands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            commands.emplace_back();
        } else if (!commands.empty()) {
            commands.back().emplace_back(argv[i]);
        } else if (std::strcmp(argv[i], "--caption") == 0) {
            // Other programs measured beside this one must carry the same caption to be found.
            std::printf("%.*s\n", static_cast<int>(kCaption.size()), kCaption.data());
            return EXIT_SUCCESS;
        } else if (std::strcmp(argv[i], "--each") == 0) {
            each = true;
        } else if (std::strcmp(argv[i], "--weston") == 0) {
            inWeston = true;
        } else {
            runs = std::max(1, std::atoi(argv[i]));
        }
    }
    std::erase_if(commands, [](const std::vector<std::string>& command) { return command.empty(); });
    if (commands.empty()) {
        std::fprintf(stderr, "usage: %s [--each] [--weston] [runs] -- program [arguments...] [-- program...]\n"
                     "       %s --caption\n", argv[0], argv[0]);
        return EXIT_FAILURE;
    }
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    if (!server) {
        std::fprintf(stderr, "no X server could be started\n");
        return EXIT_FAILURE;
    }
    std::unique_ptr<WestonSession> weston;
    if (inWeston) {
        // Without weston's window fades, which would be timed as part of every program's start.
        weston = WestonSession::Start(*server, WestonSession::Settings{.animated = false});
        if (!weston) {
            std::fprintf(stderr, "weston did not start\n");
            return EXIT_FAILURE;
        }
        WatchCompositorOutput(weston->OutputWindow());
    }
    const FrameCatalog frames;
    std::vector<std::vector<double>> startMs(commands.size());
    std::vector<std::vector<double>> peakMb(commands.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t program = 0; program < commands.size(); ++program) {
            const auto measured = MeasureStart(*server, frames, commands[program]);
            if (!measured) {
                std::fprintf(stderr, "run %d of %s: frame 1 never came\n", run + 1, commands[program][0].c_str());
                return EXIT_FAILURE;
            }
            startMs[program].push_back(measured->first);
            peakMb[program].push_back(measured->second);
            if (!each) continue;
            if (commands.size() > 1) std::printf("%zu ", program + 1);
            std::printf("%.1f %.1f\n", measured->first, measured->second);
            std::fflush(stdout);
        }
    }
    if (each) return EXIT_SUCCESS;
    for (std::size_t program = 0; program < commands.size(); ++program) {
        const std::vector<double>& ms = startMs[program];
        std::printf("%s\nstart to frame 1: median %.1f ms, fastest %.1f ms, slowest %.1f ms (%d runs)\n",
                    commands[program][0].c_str(), Median(ms), *std::min_element(ms.begin(), ms.end()),
                    *std::max_element(ms.begin(), ms.end()), runs);
        std::printf("peak resident memory (VmHWM): median %.1f MB, largest %.1f MB\n", Median(peakMb[program]),
                    *std::max_element(peakMb[program].begin(), peakMb[program].end()));
    }
    return EXIT_SUCCESS;
}
