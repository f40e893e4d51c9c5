// weston as the tests' Wayland compositor: on its X11 backend inside a test Xvfb, so that xdotool
// there gives it a keyboard and a pointer and its output window shows what it composites.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/child_process.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/x_server.h"

// How often a held key types again in the tests' weston.
inline constexpr int kKeyRepeatsPerSecond = 5;

class WestonSession {
public:
    struct Settings {
        int width = 1200;  // logical pixels of the output
        int height = 900;
        int scale = 1;     // device pixels per logical pixel, each way
        bool withXwayland = false;
        // weston's fades of windows opening and closing; a frame shows its own pixels only once
        // they are over, and each of their repaints holds the program still for a capture.
        bool animated = true;
    };

    // Starts weston on `server` and waits until its desktop is drawn; nullptr if it would not.
    // Programs started from now on reach it: WAYLAND_DISPLAY and XDG_RUNTIME_DIR are set here.
    static std::unique_ptr<WestonSession> Start(const XServer& server, const Settings& settings);
    static std::unique_ptr<WestonSession> Start(const XServer& server) { return Start(server, Settings{}); }
    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;
    ~WestonSession();

    WindowId OutputWindow() const { return outputWindow_; }
    const std::string& SocketName() const { return socket_; }
    // Xwayland's display name, once weston has started it (withXwayland).
    std::optional<std::string> XwaylandDisplay() const;
    // The output's pixels as weston-screenshooter reads them (its --debug protocol), at device pixels.
    std::optional<Capture> Screenshot() const;
    // Ends the compositor at once, as when it crashes under a running program.
    void Kill();

private:
    WestonSession(std::string runtimeDir, std::string socket, std::string log, ChildProcess weston)
        : runtimeDir_(std::move(runtimeDir)), socket_(std::move(socket)), log_(std::move(log)),
          weston_(std::move(weston)) {}
    // The environment as it was before, restored when the session ends.
    std::optional<std::string> previousRuntimeDir_;
    std::optional<std::string> previousSocket_;

    std::string runtimeDir_;
    std::string socket_;
    std::string log_;
    ChildProcess weston_;
    WindowId outputWindow_ = 0;
};

// The suite's compositor, on the suite's shared X server: started with it when the suite runs in a
// Wayland session, ended before it. Every program is then watched in the compositor's output window.
void StartSharedCompositor(const XServer& server);
void EndSharedCompositor();
