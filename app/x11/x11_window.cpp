// The main window on X: created centred and hidden, with the caption, fixed size, class, icon and
// Motif hints a window manager reads; centred again with its frame, and given the focus once mapped.
#include "app/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "app/window_layout.h"
#include "app/x11/window_icon.h"

namespace {

// Motif window-manager hints: a title bar with a close box, no minimise or maximise box.
constexpr unsigned long kMwmHintsFunctions = 1UL << 0;
constexpr unsigned long kMwmHintsDecorations = 1UL << 1;
constexpr unsigned long kMwmFuncMove = 1UL << 2;
constexpr unsigned long kMwmFuncClose = 1UL << 5;
constexpr unsigned long kMwmDecorBorder = 1UL << 1;
constexpr unsigned long kMwmDecorTitle = 1UL << 3;
constexpr unsigned long kMwmDecorMenu = 1UL << 4;

// _NET_ACTIVE_WINDOW's source indication: a request of the application itself.
constexpr long kSourceApplication = 1;

// A start-up notification message travels in pieces of this many bytes, its NUL included.
constexpr std::size_t kStartupInfoPiece = 20;

void SetProperty(Display* display, Window window, Atom property, Atom type, int format, const void* data, int count) {
    XChangeProperty(display, window, property, type, format, PropModeReplace, static_cast<const unsigned char*>(data),
                    count);
}

// Where a box of `width` x `height` sits centred on the screen.
XPoint CentredOn(Display* display, int screen, int width, int height) {
    return {static_cast<short>((DisplayWidth(display, screen) - width) / 2),
            static_cast<short>((DisplayHeight(display, screen) - height) / 2)};
}

}  // namespace

void X11Window::Create(Colormap colormap) {
    Display* display = connection_.Get();
    colormap_ = colormap;
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // the picture covers the whole window: nothing to clear first
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            ExposureMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    unsigned long given = CWBackPixmap | CWBorderPixel | CWEventMask;
    if (colormap != None) {
        attributes.colormap = colormap;
        given |= CWColormap;
    }
    const XPoint at = CentredOn(display, connection_.Screen(), kClientWidth, kClientHeight);
    window_ = XCreateWindow(display, connection_.Root(), at.x, at.y, kClientWidth, kClientHeight, 0, CopyFromParent,
                            InputOutput, CopyFromParent, given, &attributes);
    connection_.Watch(window_);
    SetProperties();
}

void X11Window::SetProperties() {
    Display* display = connection_.Get();
    const X11Connection& atoms = connection_;
    XStoreName(display, window_, kCaption.data());
    SetProperty(display, window_, atoms[kNetWmName], atoms[kUtf8String], 8, kCaption.data(),
                static_cast<int>(kCaption.size()));

    // Fixed size, centred: the window manager places its frame where the window asks.
    XSizeHints size{};
    size.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    const XPoint at = CentredOn(display, connection_.Screen(), kClientWidth, kClientHeight);
    size.x = at.x;
    size.y = at.y;
    size.width = size.min_width = size.max_width = kClientWidth;
    size.height = size.min_height = size.max_height = kClientHeight;
    size.win_gravity = NorthWestGravity;
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    std::array<char, sizeof kWindowClassName> name{};
    std::array<char, sizeof kWindowClassName> className{};
    std::copy(std::begin(kWindowClassName), std::end(kWindowClassName), name.begin());
    std::copy(std::begin(kWindowClassName), std::end(kWindowClassName), className.begin());
    XClassHint classHint{name.data(), className.data()};
    // Also WM_CLIENT_MACHINE, which makes _NET_WM_PID meaningful.
    XSetWMProperties(display, window_, nullptr, nullptr, nullptr, 0, &size, &hints, &classHint);

    // Taken from the environment, so that a program started from here is not taken for this one.
    if (const char* id = std::getenv("DESKTOP_STARTUP_ID"); id != nullptr && *id != '\0') {
        startupId_ = id;
        unsetenv("DESKTOP_STARTUP_ID");
        SetProperty(display, window_, atoms[kNetStartupId], atoms[kUtf8String], 8, startupId_.data(),
                    static_cast<int>(startupId_.size()));
    }

    const long pid = getpid();
    SetProperty(display, window_, atoms[kNetWmPid], XA_CARDINAL, 32, &pid, 1);
    SetProperty(display, window_, atoms[kNetWmIcon], XA_CARDINAL, 32, kWindowIcon,
                static_cast<int>(kWindowIconLength));
    const Atom normal = atoms[kNetWmWindowTypeNormal];
    SetProperty(display, window_, atoms[kNetWmWindowType], XA_ATOM, 32, &normal, 1);
    const std::array<unsigned long, 5> motifHints = {kMwmHintsFunctions | kMwmHintsDecorations,
                                                     kMwmFuncMove | kMwmFuncClose,
                                                     kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    SetProperty(display, window_, atoms[kMotifWmHints], atoms[kMotifWmHints], 32, motifHints.data(),
                static_cast<int>(motifHints.size()));
    std::array<Atom, 3> protocols = {atoms[kWmDeleteWindow], atoms[kWmTakeFocus], atoms[kNetWmPing]};
    XSetWMProtocols(display, window_, protocols.data(), static_cast<int>(protocols.size()));
}

void X11Window::Show() {
    Display* display = connection_.Get();
    XWindowAttributes root{};
    XGetWindowAttributes(display, connection_.Root(), &root);
    managed_ = (root.all_event_masks & SubstructureRedirectMask) != 0;
    // A window manager installs the window's own colormap when it gives the window the focus; without
    // one nobody would.
    if (!managed_ && colormap_ != None) XInstallColormap(display, colormap_);
    XMapRaised(display, window_);
    XFlush(display);
}

void X11Window::OnMapped() {
    CentreWithFrame();
    if (!focusTaken_) TakeFocus(CurrentTime);
    focusTaken_ = true;
    EndStartupNotification();
}

// The "remove" message of the start-up notification protocol, to the root window: the id quoted,
// with its quotes and backslashes escaped.
void X11Window::EndStartupNotification() {
    if (startupId_.empty()) return;
    std::string message = "remove: ID=\"";
    for (const char c : startupId_) {
        if (c == '"' || c == '\\') message += '\\';
        message += c;
    }
    message += '"';
    Display* display = connection_.Get();
    XEvent piece{};
    piece.xclient.type = ClientMessage;
    piece.xclient.window = window_;
    piece.xclient.message_type = connection_[kNetStartupInfoBegin];
    piece.xclient.format = 8;
    const std::size_t bytes = message.size() + 1;  // the NUL ends the message
    for (std::size_t at = 0; at < bytes; at += kStartupInfoPiece) {
        std::memset(piece.xclient.data.b, 0, kStartupInfoPiece);
        std::memcpy(piece.xclient.data.b, message.c_str() + at, std::min(kStartupInfoPiece, bytes - at));
        XSendEvent(display, connection_.Root(), False, PropertyChangeMask, &piece);
        piece.xclient.message_type = connection_[kNetStartupInfo];
    }
    XFlush(display);
    startupId_.clear();
}

void X11Window::OnPropertyChanged(Atom property) {
    if (property == connection_[kNetFrameExtents]) CentreWithFrame();
}

bool X11Window::OnProtocolMessage(XEvent& event) {
    Display* display = connection_.Get();
    const auto protocol = static_cast<Atom>(event.xclient.data.l[0]);
    if (protocol == connection_[kWmDeleteWindow]) return true;
    if (protocol == connection_[kWmTakeFocus]) {
        XSetInputFocus(display, window_, RevertToParent, static_cast<Time>(event.xclient.data.l[1]));
    } else if (protocol == connection_[kNetWmPing]) {
        // Answered to the root window: the window manager sees that we are alive.
        event.xclient.window = connection_.Root();
        XSendEvent(display, event.xclient.window, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(display);
    }
    return false;
}

// A window manager's frame around the window: centre the whole frame, as it is on a bare server.
void X11Window::CentreWithFrame() {
    if (centred_ || !managed_) return;
    Display* display = connection_.Get();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    constexpr long kEdges = 4;  // left, right, top, bottom
    if (XGetWindowProperty(display, window_, connection_[kNetFrameExtents], 0, kEdges, False, XA_CARDINAL, &type,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr && count == kEdges) {
        const auto* edges = reinterpret_cast<const long*>(data);  // format-32 data comes as longs
        const int width = kClientWidth + static_cast<int>(edges[0] + edges[1]);
        const int height = kClientHeight + static_cast<int>(edges[2] + edges[3]);
        if (width != kClientWidth || height != kClientHeight) {
            // With north-west gravity the window manager puts its frame's corner where the window asks.
            const XPoint at = CentredOn(display, connection_.Screen(), width, height);
            XMoveWindow(display, window_, at.x, at.y);
            centred_ = true;
        }
    }
    if (data != nullptr) XFree(data);
}

// Once mapped: without a window manager the window takes the focus itself, with one it asks for it.
void X11Window::TakeFocus(Time time) {
    Display* display = connection_.Get();
    if (!managed_) {
        XSetInputFocus(display, window_, RevertToParent, time);
        return;
    }
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window_;
    request.xclient.message_type = connection_[kNetActiveWindow];
    request.xclient.format = 32;
    request.xclient.data.l[0] = kSourceApplication;
    request.xclient.data.l[1] = static_cast<long>(time);
    XSendEvent(display, connection_.Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
}
