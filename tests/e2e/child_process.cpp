// Processes a test starts and ends, with fork, exec and waitpid.
#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

constexpr std::chrono::milliseconds kPollInterval{2};
constexpr std::chrono::milliseconds kKillGrace{2000};
constexpr std::chrono::milliseconds kToolTimeout{10000};
constexpr int kExecFailed = 127;
constexpr int kLowestPriority = 19;

ExitStatus FromWaitStatus(int status) {
    ExitStatus result;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace

std::string Describe(const ExitStatus& status) {
    if (status.exited) return "exit status " + std::to_string(status.code);
    return "killed by signal " + std::to_string(status.signal);
}

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, const std::string& display, bool quiet,
                                 bool yielding) {
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const std::string displayEntry = "DISPLAY=" + display;
    std::vector<char*> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (display.empty() || std::string_view(*entry).substr(0, 8) != "DISPLAY=") env.push_back(*entry);
    }
    if (!display.empty()) env.push_back(const_cast<char*>(displayEntry.c_str()));
    env.push_back(nullptr);

    const auto startedAt = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // nothing outlives a test run that was killed
        if (yielding) setpriority(PRIO_PROCESS, 0, kLowestPriority);
        if (quiet) {
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execvpe(args[0], args.data(), env.data());
        _exit(kExecFailed);
    }
    if (pid > 0) setpgid(pid, pid);  // also here, so that Kill() works however the two race
    return ChildProcess(pid, startedAt);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), startedAt_(other.startedAt_), status_(other.status_) {
    other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        pid_ = other.pid_;
        startedAt_ = other.startedAt_;
        status_ = other.status_;
        other.pid_ = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::Running() { return pid_ > 0 && !WaitForExit(std::chrono::milliseconds{0}).has_value(); }

std::optional<ExitStatus> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) return status_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = FromWaitStatus(status);
            return status_;
        }
        if (done < 0 && errno != EINTR) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
}

void ChildProcess::Pause() {
    if (pid_ > 0 && !status_) kill(-pid_, SIGSTOP);
}

void ChildProcess::Resume() {
    if (pid_ > 0) kill(-pid_, SIGCONT);
}

void ChildProcess::Kill(bool gracefully) {
    if (pid_ <= 0) return;
    if (!status_) {
        kill(-pid_, SIGTERM);
        kill(-pid_, SIGCONT);  // a paused process cannot act on SIGTERM
        if (!WaitForExit(gracefully ? kKillGrace : std::chrono::milliseconds{0})) {
            kill(-pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            status_ = FromWaitStatus(status);
        }
    }
    kill(-pid_, SIGKILL);  // anything the process left behind in its group
    pid_ = -1;
}

int RunTool(const std::vector<std::string>& argv, const std::string& display) {
    ChildProcess tool = ChildProcess::Start(argv, display, /*quiet=*/true);
    const std::optional<ExitStatus> status = tool.WaitForExit(kToolTimeout);
    if (!status || !status->exited || status->code == kExecFailed) return -1;
    return status->code;
}
