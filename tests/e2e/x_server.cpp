// Starts Xvfb on a free display number and connects to it; starts openbox when asked.
#include "tests/e2e/x_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

// Display numbers these tests may take, so that parallel runs on a shared machine do not collide.
constexpr int kFirstDisplay = 40;
constexpr int kLastDisplay = 59;

constexpr std::chrono::milliseconds kStartTimeout{10000};
constexpr std::chrono::milliseconds kPollInterval{10};

std::string LockFileOf(int number) { return "/tmp/.X" + std::to_string(number) + "-lock"; }

bool DisplayLooksTaken(int number) {
    return std::filesystem::exists(LockFileOf(number)) ||
           std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number));
}

// Whether the server of `lockFile` is the one we started: Xvfb writes its pid into its lock file.
// (Two runs that pick the same free number at once would otherwise both reach the winner.)
bool OwnsDisplay(const std::string& lockFile, pid_t pid) {
    std::ifstream lock(lockFile);
    long owner = 0;
    return static_cast<bool>(lock >> owner) && owner == pid;
}

// Connects once the server listens; nullptr if it ended first (display taken) or never answered.
Display* ConnectWhenReady(ChildProcess& server, const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!server.Running()) return nullptr;
        if (Display* display = XOpenDisplay(name.c_str()); display != nullptr) return display;
        std::this_thread::sleep_for(kPollInterval);
    }
    return nullptr;
}

bool HasWindowManagerCheck(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &remaining, &data) == Success &&
                       count == 1;
    if (data != nullptr) XFree(data);
    return found;
}

// Whether the window manager has taken in `probe`, as it does once it runs: it marks its clients with WM_STATE.
bool IsManaged(Display* display, Window probe) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const bool managed = XGetWindowProperty(display, probe, wmState, 0, 1, False, wmState, &type, &format, &count,
                                            &remaining, &data) == Success &&
                         count > 0;
    if (data != nullptr) XFree(data);
    return managed;
}

}  // namespace

std::unique_ptr<XServer> XServer::Start(bool withWindowManager, bool withSharedMemory, int depth) {
    const std::string screen =
        std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x" + std::to_string(depth);
    for (int number = kFirstDisplay; number <= kLastDisplay; ++number) {
        if (DisplayLooksTaken(number)) continue;
        const std::string name = ":" + std::to_string(number);
        // -noreset: the server keeps its state (pointer position) when the last program leaves.
        std::vector<std::string> command{"Xvfb", name, "-screen", "0", screen, "-noreset", "-nolisten", "tcp"};
        // As a display on another machine is: frames cannot be handed over in shared memory.
        if (!withSharedMemory) command.insert(command.end(), {"-extension", "MIT-SHM"});
        ChildProcess server = ChildProcess::Start(command, "", /*quiet=*/true);
        Display* display = ConnectWhenReady(server, name);
        if (display == nullptr) continue;
        if (!OwnsDisplay(LockFileOf(number), server.Pid())) {
            XCloseDisplay(display);
            continue;
        }
        std::unique_ptr<XServer> result(new XServer(name, std::move(server), display));
        if (withWindowManager && !result->StartWindowManager()) return nullptr;
        return result;
    }
    return nullptr;
}

// openbox announces itself before it reads its events: a window mapped then may stay unmapped or
// lose the focus again. So it counts as started once it manages a probe window, mapped anew now and
// then in case a request was lost.
bool XServer::StartWindowManager() {
    constexpr std::chrono::milliseconds kMapAgain{200};
    windowManager_ = ChildProcess::Start({"openbox"}, name_, /*quiet=*/true);
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!HasWindowManagerCheck(display_)) {
        if (!windowManager_->Running() || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    const Window probe = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    bool managed = false;
    auto mapAgainAt = std::chrono::steady_clock::now();
    while (!managed && windowManager_->Running() && std::chrono::steady_clock::now() < deadline) {
        if (std::chrono::steady_clock::now() >= mapAgainAt) {
            XMapWindow(display_, probe);
            mapAgainAt += kMapAgain;
        }
        std::this_thread::sleep_for(kPollInterval);
        managed = IsManaged(display_, probe);
    }
    XDestroyWindow(display_, probe);
    XSync(display_, False);
    return managed;
}

void XServer::Kill() {
    if (display_ != nullptr) {
        // Our own connection would die with the server: drop it first.
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    windowManager_.reset();
    server_.Kill();
}

XServer::~XServer() { Kill(); }
