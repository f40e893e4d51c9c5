// Processes a test starts and ends: the program under test, the X server and its tools.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How a process ended: its exit status, or the signal that killed it.
struct ExitStatus {
    bool exited = false;
    int code = 0;    // valid when exited
    int signal = 0;  // valid when killed by a signal
};

std::string Describe(const ExitStatus& status);

class ChildProcess {
public:
    // Starts `argv` (searched on PATH) in a process group of its own, with DISPLAY set to `display`
    // when it is not empty. `quiet` sends its output to /dev/null; `yielding` runs it at the lowest
    // priority, so that a test watching it is never kept waiting behind it for the processor
    // (the program busy-waits between frames).
    static ChildProcess Start(const std::vector<std::string>& argv, const std::string& display, bool quiet,
                              bool yielding = false);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // kills the process group if it is still running

    pid_t Pid() const { return pid_; }
    std::chrono::steady_clock::time_point StartedAt() const { return startedAt_; }
    bool Running();
    // Waits up to `timeout` for the process to end.
    std::optional<ExitStatus> WaitForExit(std::chrono::milliseconds timeout);
    // Stops and resumes the process and everything it started (SIGSTOP, SIGCONT).
    void Pause();
    void Resume();
    // Ends the process and everything it started, and reaps it; `gracefully` gives it a moment
    // after SIGTERM before SIGKILL.
    void Kill(bool gracefully = true);

private:
    ChildProcess(pid_t pid, std::chrono::steady_clock::time_point startedAt) : pid_(pid), startedAt_(startedAt) {}
    pid_t pid_ = -1;
    std::chrono::steady_clock::time_point startedAt_;
    std::optional<ExitStatus> status_;
};

// Runs a short tool to its end; returns its exit code, or -1 if it failed to run or timed out.
int RunTool(const std::vector<std::string>& argv, const std::string& display);
