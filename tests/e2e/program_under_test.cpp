// Finds the program's window by its caption, captures it with XGetImage and drives it with xdotool.
// Before any X header: Xlib's macro None would clash with the program's own names.
#include "app/window_layout.h"

#include "tests/e2e/program_under_test.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kWindowTimeout{20000};
constexpr std::chrono::milliseconds kPollInterval{3};
constexpr std::chrono::milliseconds kWakeInterval{50};  // longest sleep between looks at the connection
constexpr long kCloseSourceApplication = 1;  // _NET_CLOSE_WINDOW sent on behalf of a user's action

// A Wayland session's compositor window, watched instead of one found by caption; 0 on X11.
Window compositorOutput = None;

// Windows come and go while the tree is walked; a request on a vanished one is not a test failure.
int IgnoreXErrors(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// An 8-bit text property; `type` AnyPropertyType takes STRING or COMPOUND_TEXT, the same bytes for ASCII.
std::string TextProperty(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr && format == 8) {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    return text;
}

// Every window, from `under` down, whose WM_NAME is the caption.
void WindowsWithCaption(Display* display, Window under, std::vector<Window>& found) {
    if (TextProperty(display, under, XA_WM_NAME, AnyPropertyType) == kCaption) found.push_back(under);
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count) == 0) return;
    for (unsigned int i = 0; i < count; ++i) WindowsWithCaption(display, children[i], found);
    if (children != nullptr) XFree(children);
}

// The program's window: the largest one that carries the caption.
Window FindByCaption(Display* display) {
    std::vector<Window> found;
    WindowsWithCaption(display, DefaultRootWindow(display), found);
    Window best = None;
    long bestArea = 0;
    for (const Window window : found) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) == 0) continue;
        const long area = static_cast<long>(attributes.width) * attributes.height;
        if (area > bestArea) {
            best = window;
            bestArea = area;
        }
    }
    return best;
}

// A window-manager message about `about`: its type and its first two data words.
struct WmMessage {
    Window about = None;
    Atom type = None;
    std::array<long, 2> data{};
};

void SendClientMessage(Display* display, Window to, const WmMessage& message, long eventMask) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = message.about;
    event.xclient.message_type = message.type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = message.data[0];
    event.xclient.data.l[1] = message.data[1];
    XSendEvent(display, to, False, eventMask, &event);
    XFlush(display);
}

Capture CaptureOf(Display* display, Window window, const ScreenColours& screen);

// A window that opens under the pointer would get a pointer move, and with it a new pace.
ChildProcess StartWithPointerAside(const XServer& server, const FrameCatalog& frames,
                                   const std::vector<std::string>& command, bool yielding) {
    RunTool({"xdotool", "mousemove", "0", "0"}, server.Name());
    // The window of the program before may linger a few of the compositor's repaints: it must not
    // be taken for this one's.
    constexpr std::chrono::milliseconds kLingering{2000};
    const auto gone = std::chrono::steady_clock::now() + kLingering;
    while (compositorOutput != None && std::chrono::steady_clock::now() < gone &&
           frames.Locate(CaptureOf(server.Connection(), compositorOutput, frames.Screen())).has_value())
        std::this_thread::sleep_for(kPollInterval);
    return ChildProcess::Start(command, server.Name(), /*quiet=*/false, yielding);
}

// The whole of `window` as it is on the screen now, in the screen's colours; empty if it cannot be read.
Capture CaptureOf(Display* display, Window window, const ScreenColours& screen) {
    Capture capture;
    if (window == None) return capture;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) return capture;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return capture;
    capture = screen.ToColours(display, image);
    XDestroyImage(image);
    return capture;
}

}  // namespace

std::string TextPropertyOf(Display* display, WindowId window, const char* name) {
    return TextProperty(display, window, XInternAtom(display, name, False), AnyPropertyType);
}

void WatchCompositorOutput(WindowId outputWindow) { compositorOutput = outputWindow; }

WindowId WatchedCompositorOutput() { return compositorOutput; }

int FrameAfter(int frame, int steps) { return (((frame - 1 + steps) % kFrameCount) + kFrameCount) % kFrameCount + 1; }

ProgramUnderTest::ProgramUnderTest(XServer& server, const FrameCatalog& frames, const std::vector<std::string>& command,
                                   bool yielding)
    : server_(server), frames_(frames), process_(StartWithPointerAside(server, frames, command, yielding)) {
    XSetErrorHandler(IgnoreXErrors);
    Display* display = server_.Connection();
    int errorBase = 0;
    if (XDamageQueryExtension(display, &damageNotify_, &errorBase) == 0) return;
    damageNotify_ += XDamageNotify;
    // Found before it is first shown, so that the very first frame drawn is seen too.
    const Deadline deadline = std::chrono::steady_clock::now() + kWindowTimeout;
    while (window_ == None && std::chrono::steady_clock::now() < deadline && process_.Running()) {
        window_ = compositorOutput != None ? compositorOutput : FindByCaption(display);
        if (window_ == None) std::this_thread::sleep_for(kPollInterval);
    }
    if (window_ != None) damage_ = XDamageCreate(display, window_, XDamageReportNonEmpty);
    XFlush(display);
}

ProgramUnderTest::~ProgramUnderTest() { process_.Kill(/*gracefully=*/false); }

std::string ProgramUnderTest::WmName() const {
    return TextProperty(server_.Connection(), window_, XA_WM_NAME, AnyPropertyType);
}

std::string ProgramUnderTest::NetWmName() const {
    Display* display = server_.Connection();
    return TextProperty(display, window_, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False));
}

ScreenRect ProgramUnderTest::WindowRect() const {
    Display* display = server_.Connection();
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window_, &attributes);
    ScreenRect rect{0, 0, attributes.width, attributes.height};
    Window child = None;
    XTranslateCoordinates(display, window_, DefaultRootWindow(display), 0, 0, &rect.x, &rect.y, &child);
    return rect;
}

ScreenRect ProgramUnderTest::OuterRect() const {
    ScreenRect rect = WindowRect();
    Display* display = server_.Connection();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    constexpr long kEdges = 4;  // left, right, top, bottom
    if (XGetWindowProperty(display, window_, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, kEdges, False,
                           XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr && count == kEdges) {
        const auto* edges = reinterpret_cast<const long*>(data);  // format-32 data comes as longs
        rect.x -= static_cast<int>(edges[0]);
        rect.y -= static_cast<int>(edges[2]);
        rect.width += static_cast<int>(edges[0] + edges[1]);
        rect.height += static_cast<int>(edges[2] + edges[3]);
    }
    if (data != nullptr) XFree(data);
    return rect;
}

std::optional<SizeLimits> ProgramUnderTest::SizeHints() const {
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(server_.Connection(), window_, &hints, &supplied) == 0) return std::nullopt;
    if ((hints.flags & PMinSize) == 0 || (hints.flags & PMaxSize) == 0) return std::nullopt;
    return SizeLimits{hints.min_width, hints.min_height, hints.max_width, hints.max_height};
}

Capture ProgramUnderTest::CaptureWindow() const {
    Display* display = server_.Connection();
    Capture capture = CaptureOf(display, window_, frames_.Screen());
    if (capture.pixels.empty()) return capture;
    // The compositor draws its pointer into the picture, where X draws its own beside it.
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int buttons = 0;
    if (compositorOutput != None && XQueryPointer(display, window_, &root, &child, &rootX, &rootY, &x, &y, &buttons) != 0)
        capture.covered = CoveredBox{x - kPointerSpriteReach, y - kPointerSpriteReach, x + kPointerSpriteReach,
                                      y + kPointerSpriteReach};
    return capture;
}

bool ProgramUnderTest::AwaitDrawing(Deadline deadline) {
    Display* display = server_.Connection();
    bool drawn = false;
    while (!drawn) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == damageNotify_) drawn = true;
        }
        if (drawn) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::min(left, kWakeInterval).count()));
    }
    // The program is held still while its window is captured: a frame it shows for only a few
    // milliseconds (frame 1, during the start) is not drawn over before the capture.
    process_.Pause();
    XDamageSubtract(display, damage_, None, None);
    const Capture capture = CaptureWindow();
    if (!offset_ && !capture.pixels.empty()) offset_ = frames_.Locate(capture);
    shownFrame_ = offset_ ? frames_.Identify(capture, *offset_) : std::nullopt;
    process_.Resume();  // only now: until this returns, the test does not wait on the connection
    return true;
}

std::optional<int> ProgramUnderTest::FrameShownNow() const {
    if (!offset_) return std::nullopt;
    return frames_.Identify(CaptureWindow(), *offset_);
}

std::optional<int> ProgramUnderTest::WaitForFrame(const std::function<bool(int)>& wanted,
                                                  std::chrono::milliseconds timeout) {
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    do {
        if (shownFrame_ && wanted(*shownFrame_)) return shownFrame_;
    } while (AwaitDrawing(deadline));
    return std::nullopt;
}

std::optional<int> ProgramUnderTest::WaitForSteadyFrame(std::chrono::milliseconds steadyFor,
                                                        std::chrono::milliseconds timeout) {
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<int> candidate = shownFrame_;
    Deadline since = std::chrono::steady_clock::now();
    for (;;) {
        const bool drawn = AwaitDrawing(std::min(deadline, since + steadyFor));
        const Deadline now = std::chrono::steady_clock::now();
        if (shownFrame_ != candidate) {
            candidate = shownFrame_;
            since = now;
        } else if (candidate && now - since >= steadyFor) {
            return candidate;
        }
        if (!drawn && now >= deadline) return std::nullopt;
    }
}

std::vector<int> ProgramUnderTest::WatchFrames(std::size_t count, std::chrono::milliseconds timeout) {
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<int> seen;
    do {
        if (shownFrame_ && (seen.empty() || seen.back() != *shownFrame_)) seen.push_back(*shownFrame_);
    } while (seen.size() < count && AwaitDrawing(deadline));
    return seen;
}

bool ProgramUnderTest::Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunTool(command, server_.Name()) == 0;
}

void ProgramUnderTest::PressKey(const std::string& keyName) { Xdotool({"key", keyName}); }

void ProgramUnderTest::MovePointerTo(int clientX, int clientY) {
    const ScreenRect rect = WindowRect();
    const ClientOffset offset = offset_.value_or(ClientOffset{});
    Xdotool({"mousemove", std::to_string(rect.x + offset.x + clientX), std::to_string(rect.y + offset.y + clientY)});
}

void ProgramUnderTest::MovePointerBy(int dx, int dy) {
    // "--" so that a negative step is not taken for an option.
    Xdotool({"mousemove_relative", "--", std::to_string(dx), std::to_string(dy)});
}

void ProgramUnderTest::Click() { Xdotool({"click", "1"}); }

void ProgramUnderTest::DoubleClick() { Xdotool({"click", "--repeat", "2", "--delay", "80", "1"}); }

void ProgramUnderTest::Close() {
    Display* display = server_.Connection();
    if (server_.HasWindowManager()) {
        // Ask the window manager, which then closes the window its own way.
        SendClientMessage(display, DefaultRootWindow(display),
                          {window_, XInternAtom(display, "_NET_CLOSE_WINDOW", False), {CurrentTime, kCloseSourceApplication}},
                          SubstructureRedirectMask | SubstructureNotifyMask);
        return;
    }
    // What a window manager sends when the user clicks the close box.
    const auto deleteWindow = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    SendClientMessage(display, window_, {window_, XInternAtom(display, "WM_PROTOCOLS", False), {deleteWindow, CurrentTime}},
                      NoEventMask);
}
