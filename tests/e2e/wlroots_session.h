// sway and cage as the tests' wlroots compositors: headless, software-rendered, run as an
// unprivileged user (both refuse root) in a private runtime directory; grim reads their pixels.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/screen_colours.h"

// Where a window's picture is on the output, and what the compositor says of it (sway's tree).
struct SwayWindow {
    int x = 0;  // logical pixels of the output
    int y = 0;
    int width = 0;
    int height = 0;
    std::string type;  // "floating_con" for a floating window
    bool focused = false;
    bool serverDecorated = false;  // sway draws its title bar ("normal" border)
    std::string appId;
    std::string name;
};

class WlrootsSession {
public:
    // sway with `config` (lines added to a config that sets a 1280x800 output); nullptr if it
    // would not start. Programs started from now on reach it: WAYLAND_DISPLAY, XDG_RUNTIME_DIR
    // and SWAYSOCK are set here.
    static std::unique_ptr<WlrootsSession> StartSway(const std::string& config);
    // cage with `options`, keeping `placeholder` as its own client (it ends when that does); other
    // clients started from now on appear maximised on its 1280x720 output.
    static std::unique_ptr<WlrootsSession> StartCage(const std::vector<std::string>& options,
                                                     const std::vector<std::string>& placeholder);
    WlrootsSession(const WlrootsSession&) = delete;
    WlrootsSession& operator=(const WlrootsSession&) = delete;
    ~WlrootsSession();

    // The whole output's pixels in device pixels, as 0x00RRGGBB.
    std::optional<Capture> Screenshot() const;
    // swaymsg's exit code for `command`.
    int SwayCommand(const std::string& command) const;
    // The window with `appId` in sway's tree, if there is one.
    std::optional<SwayWindow> FindWindow(const std::string& appId) const;
    // Whether process `pid` has a window in sway's tree.
    bool HasWindowOf(int pid) const;

private:
    WlrootsSession(std::string runtimeDir, ChildProcess compositor)
        : runtimeDir_(std::move(runtimeDir)), compositor_(std::move(compositor)) {}
    static std::unique_ptr<WlrootsSession> Start(const std::vector<std::string>& command);

    std::string runtimeDir_;
    ChildProcess compositor_;
    std::vector<std::pair<std::string, std::optional<std::string>>> previousEnvironment_;
};

// The region of `capture` at (x, y) of `width` x `height`, each pixel a `scale` x `scale` block
// taken as one; nullopt if a block is not all one colour or the region leaves the capture.
std::optional<Capture> Downscaled(const Capture& capture, int x, int y, int width, int height, int scale);
