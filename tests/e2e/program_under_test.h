// The program under test, running in its window on a test X server: screenshots, input, its end.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/frame_catalog.h"
#include "tests/e2e/x_server.h"

using namespace std::chrono_literals;

// How long to wait for a frame at the starting pace: about a second each, more on a loaded machine.
inline constexpr auto kFrameTimeout = 10s;

// Position and size of a window on the screen.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The smallest and largest size the window asks its window manager for.
struct SizeLimits {
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
};

// An X window id; 0 for none.
using WindowId = unsigned long;

// The compositor's pointer sprite reaches this far from its hot spot, at scale 1.
inline constexpr int kPointerSpriteReach = 40;

// In a Wayland session the program's window is a surface inside the compositor's output window on
// the test's X server: from now on every program's frames are watched there, with the compositor's
// pointer sprite left out of the comparison.
// The 8-bit text property `name` of `window`, "" if it has none.
std::string TextPropertyOf(_XDisplay* display, WindowId window, const char* name);

void WatchCompositorOutput(WindowId outputWindow);
WindowId WatchedCompositorOutput();  // 0 on X11

class ProgramUnderTest {
public:
    // Puts the pointer out of the way, starts `command` and waits for its window to be created.
    // `yielding`: run it at the lowest priority (see ChildProcess::Start). That helps to see frame 1,
    // which lasts only milliseconds, but next to other busy processes the program then barely runs.
    ProgramUnderTest(XServer& server, const FrameCatalog& frames, const std::vector<std::string>& command,
                     bool yielding = false);
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
    ~ProgramUnderTest();  // ends the program at once, if it still runs

    // The shown, top-level window that carries the program's caption (0 if none came up).
    WindowId ProgramWindow() const { return window_; }
    ChildProcess& Process() { return process_; }

    // The window's caption as WM_NAME and as _NET_WM_NAME (UTF-8).
    std::string WmName() const;
    std::string NetWmName() const;
    // The window on the screen; with a frame drawn inside it, the client area is `ClientOffset` into it.
    ScreenRect WindowRect() const;
    // The window with the frame a window manager draws around it (as the window itself without one).
    ScreenRect OuterRect() const;
    // The size limits of the window's size hints, if it gives both.
    std::optional<SizeLimits> SizeHints() const;
    std::optional<ClientOffset> Offset() const { return offset_; }

    // The window is captured each time the program draws into it, so no frame goes unseen
    // (unless the next one follows within the few milliseconds that a capture takes).

    // Waits until the frame on screen satisfies `wanted`; returns it, or nothing on timeout.
    std::optional<int> WaitForFrame(const std::function<bool(int)>& wanted, std::chrono::milliseconds timeout);
    // Waits for a frame that stays on screen for `steadyFor`.
    std::optional<int> WaitForSteadyFrame(std::chrono::milliseconds steadyFor, std::chrono::milliseconds timeout);
    // The frame on screen at this moment, captured while the program runs on (not held still); nothing
    // if the window shows no whole frame, e.g. parts of two. Needs the client area found first.
    std::optional<int> FrameShownNow() const;
    // The frame on screen now (if known), then each new frame as it is drawn, until `count` are seen.
    std::vector<int> WatchFrames(std::size_t count, std::chrono::milliseconds timeout);

    // Input through xdotool, as a user would give it: to the focused window, at screen positions.
    void PressKey(const std::string& keyName);
    void MovePointerTo(int clientX, int clientY);
    void MovePointerBy(int dx, int dy);
    void Click();
    void DoubleClick();
    // Asks the window to close, as its close box or the window manager's close does.
    void Close();

private:
    using Deadline = std::chrono::steady_clock::time_point;
    // Waits for the program to draw, then captures the window and identifies its frame.
    // False if nothing was drawn before `deadline`.
    bool AwaitDrawing(Deadline deadline);
    Capture CaptureWindow() const;
    bool Xdotool(const std::vector<std::string>& arguments);

    XServer& server_;
    const FrameCatalog& frames_;
    ChildProcess process_;
    WindowId window_ = 0;
    unsigned long damage_ = 0;  // reports drawing into the window
    int damageNotify_ = 0;      // event type of those reports
    std::optional<ClientOffset> offset_;
    std::optional<int> shownFrame_;  // as of the latest capture
};

// The frame `steps` after `frame` in running order, wrapping between 18 and 1 (negative: back).
int FrameAfter(int frame, int steps);
