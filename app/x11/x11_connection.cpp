// The connection to the X server, and Xlib's error handlers, which end the program through
// EndProcess: by default Xlib would exit() with status 1 on the display's loss.
#include "app/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/ending.h"

namespace {

constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS",           "_NET_WM_PING",    "_NET_WM_NAME",
    "UTF8_STRING",  "_NET_WM_PID",      "_NET_WM_ICON",            "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",       "_MOTIF_WM_HINTS",         "_NET_FRAME_EXTENTS", "_NET_ACTIVE_WINDOW",
    "_NET_STARTUP_ID", "_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO"};

// Xlib's error handlers take no context of their own: what they need is here, the layer's only globals.
struct ErrorHandlerContext {
    Window ourWindow = None;      // destroyed from outside, it ends the program like a close
    bool requestRefused = false;  // set while refusals are only noted (ServerRefusedPending)
};
ErrorHandlerContext handlerContext;

int EndOnDisplayLoss(Display* /*display*/) { EndProcess(EndReason::DisplayLost); }

int EndOnXError(Display* display, XErrorEvent* error) {
    // A focus request loses harmlessly when the window manager unmaps the window just before it.
    if (error->request_code == X_SetInputFocus && error->error_code == BadMatch) return 0;
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
        error->resourceid == handlerContext.ourWindow)
        EndProcess(EndReason::WindowClosed);
    std::array<char, 256> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "TrenoxVK: X error: %s\n", text.data());
    EndProcess(EndReason::ProtocolError);
}

int NoteRefusal(Display* /*display*/, XErrorEvent* /*error*/) {
    handlerContext.requestRefused = true;
    return 0;
}

}  // namespace

X11Connection::~X11Connection() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

bool X11Connection::Open() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') {
            std::fprintf(stderr, "TrenoxVK: no display found (DISPLAY is not set)\n");
        } else {
            std::fprintf(stderr, "TrenoxVK: no display found (cannot open DISPLAY=%s)\n", name);
        }
        return false;
    }
    XSetErrorHandler(EndOnXError);
    XSetIOErrorHandler(EndOnDisplayLoss);
    // Writing to a display that has gone must fail into that handler, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    XInternAtoms(display_, const_cast<char**>(kAtomNames.data()), kAtomCount, False, atoms_.data());
    return true;
}

int X11Connection::Screen() const { return DefaultScreen(display_); }

Window X11Connection::Root() const { return DefaultRootWindow(display_); }

void X11Connection::Watch(Window window) { handlerContext.ourWindow = window; }

bool X11Connection::ServerRefusedPending() {
    handlerContext.requestRefused = false;
    const XErrorHandler ours = XSetErrorHandler(NoteRefusal);
    XSync(display_, False);
    XSetErrorHandler(ours);
    return handlerContext.requestRefused;
}
