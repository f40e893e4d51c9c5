// A private X server (Xvfb) for the tests, optionally with openbox as its window manager.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/child_process.h"

// Xlib's display connection; its header stays out of the tests, whose names its macros would clash with.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name

inline constexpr int kScreenWidth = 1280;
inline constexpr int kScreenHeight = 1024;
inline constexpr int kDefaultDepth = 24;

class XServer {
public:
    // Starts Xvfb on the first free display of the tests' range; nullptr if none would start.
    // `withSharedMemory` false leaves out MIT-SHM, as for a display on another machine. `depth`: of
    // the screen, 24 or 30 (TrueColor), 15 or 16 (TrueColor, 16-bit pixels) or 8 (PseudoColor).
    static std::unique_ptr<XServer> Start(bool withWindowManager, bool withSharedMemory = true,
                                          int depth = kDefaultDepth);

    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer();

    const std::string& Name() const { return name_; }  // as in DISPLAY, e.g. ":41"
    _XDisplay* Connection() const { return display_; }
    bool HasWindowManager() const { return windowManager_.has_value(); }

    // Ends the server at once, as when a display goes away under a running program.
    void Kill();

private:
    XServer(std::string name, ChildProcess server, _XDisplay* display)
        : name_(std::move(name)), server_(std::move(server)), display_(display) {}
    bool StartWindowManager();

    std::string name_;
    ChildProcess server_;
    _XDisplay* display_;
    std::optional<ChildProcess> windowManager_;
};
