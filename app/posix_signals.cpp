// The Linux program's signals: the ones that ask a program to end, ended at once, without unwinding.
#include "app/posix_signals.h"

#include <csignal>

#include "app/ending.h"

namespace {

// Async-signal-safe: EndProcess only ends the process.
extern "C" void EndOnSignal(int /*signal*/) { EndProcess(EndReason::Signal); }

}  // namespace

void EndOnSignals() {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) != 0 || inherited.sa_handler == SIG_IGN) continue;
        struct sigaction ending {};
        ending.sa_handler = EndOnSignal;
        sigemptyset(&ending.sa_mask);
        sigaction(signal, &ending, nullptr);
    }
}
