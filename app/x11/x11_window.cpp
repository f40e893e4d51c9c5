// The X11 layer's window: its creation, the properties a window manager reads, centring and focus.
#include "app/x11/x11_platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "app/x11/window_icon.h"
#include "app/x11/x11_state.h"

namespace {

constexpr char kClassName[] = "TrenoxVK";  // WM_CLASS, as the desktop entry's StartupWMClass

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

void SetProperty(Display* display, Window window, Atom property, Atom type, int format, const void* data, int count) {
    XChangeProperty(display, window, property, type, format, PropModeReplace, static_cast<const unsigned char*>(data),
                    count);
}

}  // namespace

void X11Platform::CreateWindow() {
    Display* display = x_->display;
    XInternAtoms(display, const_cast<char**>(kAtomNames.data()), kAtomCount, False, x_->atoms.data());
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // the picture covers the whole window: nothing to clear first
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            ExposureMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    unsigned long given = CWBackPixmap | CWBorderPixel | CWEventMask;
    if (x_->colormap != None) {
        attributes.colormap = x_->colormap;
        given |= CWColormap;
    }
    x_->window = XCreateWindow(display, RootWindow(display, screen), (DisplayWidth(display, screen) - kClientWidth) / 2,
                               (DisplayHeight(display, screen) - kClientHeight) / 2, kClientWidth, kClientHeight, 0,
                               CopyFromParent, InputOutput, CopyFromParent, given, &attributes);
    XGCValues values{};
    values.graphics_exposures = False;  // copies from our own pixmap never need repairs
    x_->gc = XCreateGC(display, x_->window, GCGraphicsExposures, &values);
    SetWindowProperties();
}

void X11Platform::SetWindowProperties() {
    Display* display = x_->display;
    const Window window = x_->window;
    const auto& atoms = x_->atoms;
    XStoreName(display, window, kCaption.data());
    SetProperty(display, window, atoms[kNetWmName], atoms[kUtf8String], 8, kCaption.data(),
                static_cast<int>(kCaption.size()));

    // Fixed size, centred: the window manager places its frame where the window asks.
    XSizeHints size{};
    size.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    const int screen = DefaultScreen(display);
    size.x = (DisplayWidth(display, screen) - kClientWidth) / 2;
    size.y = (DisplayHeight(display, screen) - kClientHeight) / 2;
    size.width = size.min_width = size.max_width = kClientWidth;
    size.height = size.min_height = size.max_height = kClientHeight;
    size.win_gravity = NorthWestGravity;
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    std::array<char, sizeof kClassName> name{};
    std::array<char, sizeof kClassName> className{};
    std::copy(std::begin(kClassName), std::end(kClassName), name.begin());
    std::copy(std::begin(kClassName), std::end(kClassName), className.begin());
    XClassHint classHint{name.data(), className.data()};
    // Also WM_CLIENT_MACHINE, which makes _NET_WM_PID meaningful.
    XSetWMProperties(display, window, nullptr, nullptr, nullptr, 0, &size, &hints, &classHint);

    const long pid = getpid();
    SetProperty(display, window, atoms[kNetWmPid], XA_CARDINAL, 32, &pid, 1);
    SetProperty(display, window, atoms[kNetWmIcon], XA_CARDINAL, 32, kWindowIcon, static_cast<int>(kWindowIconLength));
    SetProperty(display, window, atoms[kNetWmWindowType], XA_ATOM, 32, &atoms[kNetWmWindowTypeNormal], 1);
    const std::array<unsigned long, 5> motifHints = {kMwmHintsFunctions | kMwmHintsDecorations,
                                                     kMwmFuncMove | kMwmFuncClose,
                                                     kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    SetProperty(display, window, atoms[kMotifWmHints], atoms[kMotifWmHints], 32, motifHints.data(),
                static_cast<int>(motifHints.size()));
    std::array<Atom, 3> protocols = {atoms[kWmDeleteWindow], atoms[kWmTakeFocus], atoms[kNetWmPing]};
    XSetWMProtocols(display, window, protocols.data(), static_cast<int>(protocols.size()));
}

void X11Platform::Show() {
    XWindowAttributes root{};
    XGetWindowAttributes(x_->display, DefaultRootWindow(x_->display), &root);
    x_->managed = (root.all_event_masks & SubstructureRedirectMask) != 0;
    // A window manager installs the window's own colormap when it gives the window the focus; without
    // one nobody would.
    if (!x_->managed && x_->colormap != None) XInstallColormap(x_->display, x_->colormap);
    XMapRaised(x_->display, x_->window);
    XFlush(x_->display);
}

// A window manager's frame around the window: centre the whole frame, as it is on a bare server.
void X11Platform::CentreWithFrame() {
    if (x_->centred || !x_->managed) return;
    Display* display = x_->display;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    constexpr long kEdges = 4;  // left, right, top, bottom
    if (XGetWindowProperty(display, x_->window, x_->atoms[kNetFrameExtents], 0, kEdges, False, XA_CARDINAL, &type,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr && count == kEdges) {
        const auto* edges = reinterpret_cast<const long*>(data);  // format-32 data comes as longs
        const int width = kClientWidth + static_cast<int>(edges[0] + edges[1]);
        const int height = kClientHeight + static_cast<int>(edges[2] + edges[3]);
        if (width != kClientWidth || height != kClientHeight) {
            const int screen = DefaultScreen(display);
            // With north-west gravity the window manager puts its frame's corner where the window asks.
            XMoveWindow(display, x_->window, (DisplayWidth(display, screen) - width) / 2,
                        (DisplayHeight(display, screen) - height) / 2);
            x_->centred = true;
        }
    }
    if (data != nullptr) XFree(data);
}

// Once mapped: without a window manager the window takes the focus itself, with one it asks for it.
void X11Platform::TakeFocus(unsigned long time) {
    if (!x_->managed) {
        XSetInputFocus(x_->display, x_->window, RevertToParent, time);
        return;
    }
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = x_->window;
    request.xclient.message_type = x_->atoms[kNetActiveWindow];
    request.xclient.format = 32;
    request.xclient.data.l[0] = kSourceApplication;
    request.xclient.data.l[1] = static_cast<long>(time);
    XSendEvent(x_->display, DefaultRootWindow(x_->display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &request);
}
