// How the program ends: each way out with its exit status, in one table that the process's end,
// the usage, the manual page and the Windows read-me all read.
#pragma once

#include <span>
#include <string_view>

#include "playback/platform.h"

// Where a way out can happen: the Linux program (X11 and Wayland) or the Windows one.
enum WayOutPlatforms : unsigned { kOnLinux = 1U << 0, kOnWindows = 1U << 1 };

struct WayOut {
    EndReason reason;
    int status;
    std::string_view text;  // as the usage lists it under its status
    unsigned platforms;
};

std::span<const WayOut> WaysOut();

// The exit status of `reason`.
int ExitStatus(EndReason reason);

// Ends the process at once with the reason's status: no handler, no flushing, nothing released.
// Async-signal-safe, so a signal handler may end through it too.
[[noreturn]] void EndProcess(EndReason reason);
