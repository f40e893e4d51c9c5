// The ways out and their exit statuses; the one place the process ends.
#include "app/ending.h"

#include <cstdlib>

namespace {

// Ended as the user asked, or as the desktop asked, is a success; a fault is 1, a wrong command line 2.
constexpr WayOut kWaysOut[] = {
    {EndReason::Quit, 0, "Esc, a double-click", kOnLinux | kOnWindows},
    {EndReason::WindowClosed, 0, "closing the window", kOnLinux | kOnWindows},
    {EndReason::Signal, 0, "a signal (SIGTERM, SIGINT, SIGHUP)", kOnLinux},
    {EndReason::DisplayLost, 0, "the display going away", kOnLinux},
    {EndReason::Answered, 0, "after --help or --version", kOnLinux},
    {EndReason::NoDisplay, 1, "no display", kOnLinux},
    {EndReason::ProtocolError, 1, "an X or Wayland protocol error", kOnLinux},
    {EndReason::NoColours, 1, "a screen that cannot show colours (grey or monochrome)", kOnLinux},
    {EndReason::NoWindow, 1, "the window could not be created", kOnLinux | kOnWindows},
    {EndReason::DamagedFrame, 1, "a frame built into the program is damaged", kOnLinux | kOnWindows},
    {EndReason::UsageError, 2, "a wrong command line", kOnLinux},
};

}  // namespace

std::span<const WayOut> WaysOut() { return kWaysOut; }

int ExitStatus(EndReason reason) {
    for (const WayOut& way : kWaysOut) {
        if (way.reason == reason) return way.status;
    }
    return EXIT_FAILURE;
}

void EndProcess(EndReason reason) { std::_Exit(ExitStatus(reason)); }
