// The X11 layer's process: connecting, running, quitting, X errors, losing the display, signals.
#include "app/x11/x11_platform.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/x11/x11_state.h"

namespace {

// Xlib's error handlers take no context of their own: what they need is here, the layer's only globals.
struct ErrorHandlerContext {
    Window ourWindow = None;     // destroyed from outside, it ends the program like a close
    bool requestRefused = false;  // set while refusals are only noted (ServerRefusedPending)
};
ErrorHandlerContext handlerContext;

// Losing the display is the quit action too: by default Xlib would end the process with status 1.
int QuitOnDisplayLoss(Display* /*display*/) { std::_Exit(EXIT_SUCCESS); }

// Our window destroyed from outside is closed like any other way; any other X error is a fault.
// Both end at once: Xlib's default handler calls exit().
int QuitOnXError(Display* display, XErrorEvent* error) {
    // A focus request loses harmlessly when the window manager unmaps the window just before it.
    if (error->request_code == X_SetInputFocus && error->error_code == BadMatch) return 0;
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
        error->resourceid == handlerContext.ourWindow)
        std::_Exit(EXIT_SUCCESS);
    std::array<char, 256> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "TrenoxVK: X error: %s\n", text.data());
    std::_Exit(EXIT_FAILURE);
}

int NoteRefusal(Display* /*display*/, XErrorEvent* /*error*/) {
    handlerContext.requestRefused = true;
    return 0;
}

extern "C" void EndAtOnce(int /*signal*/) { std::_Exit(EXIT_SUCCESS); }

}  // namespace

void EndOnSignals() {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) != 0 || inherited.sa_handler == SIG_IGN) continue;
        struct sigaction ending {};
        ending.sa_handler = EndAtOnce;
        sigemptyset(&ending.sa_mask);
        sigaction(signal, &ending, nullptr);
    }
}

X11Platform::X11Platform(Trenox_VK& window)
    : window_(window), input_(window.playback, *this), x_(std::make_unique<X11State>()) {}

X11Platform::~X11Platform() {
    if (x_->display != nullptr) XCloseDisplay(x_->display);  // the server lets go of the segment and the window
    ReleaseImage();
}

bool X11Platform::Open() {
    x_->display = XOpenDisplay(nullptr);
    if (x_->display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') {
            std::fprintf(stderr, "TrenoxVK: no display found (DISPLAY is not set)\n");
        } else {
            std::fprintf(stderr, "TrenoxVK: no display found (cannot open DISPLAY=%s)\n", name);
        }
        return false;
    }
    XSetErrorHandler(QuitOnXError);
    XSetIOErrorHandler(QuitOnDisplayLoss);
    // Writing to a display that has gone must fail into that handler, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);

    if (!ChooseColours()) return false;
    CreateWindow();
    handlerContext.ourWindow = x_->window;
    return CreateImage();
}

void X11Platform::Run() {
    Show();
    while (!x_->active) {
        XEvent event;
        XNextEvent(x_->display, &event);
        Dispatch(event);
    }
    window_.Play(*this);
}

void X11Platform::ProcessPendingEvents() {
    while (XPending(x_->display) > 0) {
        XEvent event;
        XNextEvent(x_->display, &event);
        Dispatch(event);
    }
}

void X11Platform::Quit() { std::_Exit(EXIT_SUCCESS); }

bool X11Platform::ServerRefusedPending() {
    handlerContext.requestRefused = false;
    const XErrorHandler ours = XSetErrorHandler(NoteRefusal);
    XSync(x_->display, False);
    XSetErrorHandler(ours);
    return handlerContext.requestRefused;
}
