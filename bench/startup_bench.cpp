// Time from the program's start to frame 1 on screen, and its peak resident memory, under Xvfb.
// Usage: trenox_startup [--each] [runs] -- program [arguments...]
//   --each: instead of the summary, one line per start: "<ms to frame 1> <peak MB>", for scripts.
// trenox_startup --caption prints the caption the program's window is found by.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/trenox_vk.h"
#include "tests/e2e/program_under_test.h"

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

}  // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    bool each = false;
    std::vector<std::string> command;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            command.assign(argv + i + 1, argv + argc);
            break;
        }
        if (std::strcmp(argv[i], "--caption") == 0) {
            // Other programs measured beside this one must carry the same caption to be found.
            std::printf("%.*s\n", static_cast<int>(kCaption.size()), kCaption.data());
            return EXIT_SUCCESS;
        }
        if (std::strcmp(argv[i], "--each") == 0) {
            each = true;
        } else {
            runs = std::max(1, std::atoi(argv[i]));
        }
    }
    if (command.empty()) {
        std::fprintf(stderr, "usage: %s [--each] [runs] -- program [arguments...]\n       %s --caption\n", argv[0],
                     argv[0]);
        return EXIT_FAILURE;
    }
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    if (!server) {
        std::fprintf(stderr, "no X server could be started\n");
        return EXIT_FAILURE;
    }
    const FrameCatalog frames;
    std::vector<double> startMs;
    std::vector<double> peakMb;
    for (int run = 0; run < runs; ++run) {
        ProgramUnderTest program(*server, frames, command, /*yielding=*/false);
        // Frame 2 follows frame 1 within milliseconds; either shows that frame 1 has been drawn.
        if (!program.WaitForFrame([](int frame) { return frame <= 2; }, kFrameTimeout)) {
            std::fprintf(stderr, "run %d: frame 1 never came\n", run + 1);
            return EXIT_FAILURE;
        }
        const auto shown = std::chrono::steady_clock::now() - program.Process().StartedAt();
        startMs.push_back(std::chrono::duration<double, std::milli>(shown).count());
        std::this_thread::sleep_for(kSettle);
        constexpr double kKbPerMb = 1024;
        peakMb.push_back(static_cast<double>(PeakResidentKb(program.Process().Pid())) / kKbPerMb);
        if (each) std::printf("%.1f %.1f\n", startMs.back(), peakMb.back());
    }
    if (each) return EXIT_SUCCESS;
    std::printf("start to frame 1: median %.1f ms, fastest %.1f ms, slowest %.1f ms (%d runs)\n", Median(startMs),
                *std::min_element(startMs.begin(), startMs.end()), *std::max_element(startMs.begin(), startMs.end()),
                runs);
    std::printf("peak resident memory (VmHWM): median %.1f MB, largest %.1f MB\n", Median(peakMb),
                *std::max_element(peakMb.begin(), peakMb.end()));
    return EXIT_SUCCESS;
}
