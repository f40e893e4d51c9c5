// Linux platform layer: owns the Xlib window and its image, and turns X events into Picture1 handler calls.
#include "app/x11/x11_platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"
#include "app/x11/window_icon.h"

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

// Every atom the window uses, fetched in one round trip.
enum AtomIndex : std::size_t {
    kWmProtocols,
    kWmDeleteWindow,
    kWmTakeFocus,
    kNetWmPing,
    kNetWmName,
    kUtf8String,
    kNetWmPid,
    kNetWmIcon,
    kNetWmWindowType,
    kNetWmWindowTypeNormal,
    kMotifWmHints,
    kNetFrameExtents,
    kNetActiveWindow,
    kAtomCount
};
constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS",           "_NET_WM_PING",    "_NET_WM_NAME",
    "UTF8_STRING",  "_NET_WM_PID",      "_NET_WM_ICON",            "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",       "_MOTIF_WM_HINTS",         "_NET_FRAME_EXTENTS", "_NET_ACTIVE_WINDOW"};
std::array<Atom, kAtomCount> atoms{};

// Xlib's error handlers take no context of their own.
Window ourWindow = None;
bool sharedMemoryRefused = false;
// Xlib keeps a pointer to this in the shared image, for as long as the image lives.
XShmSegmentInfo sharedSegment{};

// Losing the display is the quit action too: by default Xlib would end the process with status 1.
int QuitOnDisplayLoss(Display* /*display*/) { std::_Exit(EXIT_SUCCESS); }

// Our window destroyed from outside is closed like any other way; any other X error is a fault.
// Both end at once: Xlib's default handler calls exit().
int QuitOnXError(Display* display, XErrorEvent* error) {
    // A focus request loses harmlessly when the window manager unmaps the window just before it.
    if (error->request_code == X_SetInputFocus && error->error_code == BadMatch) return 0;
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) && error->resourceid == ourWindow)
        std::_Exit(EXIT_SUCCESS);
    std::array<char, 256> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "TrenoxVK: X error: %s\n", text.data());
    std::_Exit(EXIT_FAILURE);
}

// A server that cannot reach our memory (another machine) refuses the segment: draw without it.
int NoteSharedMemoryRefused(Display* /*display*/, XErrorEvent* /*error*/) {
    sharedMemoryRefused = true;
    return 0;
}

extern "C" void EndAtOnce(int /*signal*/) { std::_Exit(EXIT_SUCCESS); }

// Where one 8-bit colour channel goes in a pixel of the visual.
struct ChannelPlace {
    int shift;
    int bits;
};

// A visual's colour masks are contiguous runs of bits.
ChannelPlace PlaceOf(unsigned long mask) {
    const int shift = std::countr_zero(mask);
    return {shift, std::countr_one(mask >> shift)};
}

std::uint32_t Placed(std::uint32_t value, ChannelPlace place) {
    const int widened = place.bits - 8;
    return (widened >= 0 ? value << widened : value >> -widened) << place.shift;
}

std::int16_t KeyCodeOf(KeySym key) {
    switch (key) {
        case XK_Escape: return kKeyEscape;
        case XK_Return:
        case XK_KP_Enter: return kKeyEnter;
        case XK_BackSpace: return kKeyBackspace;
        case XK_Tab:
        case XK_ISO_Left_Tab: return kKeyTab;
        default: return 0;
    }
}

// Buttons and modifier keys as the move handler counts them.
std::int16_t ButtonsOf(unsigned int state) {
    return static_cast<std::int16_t>(((state & Button1Mask) != 0 ? kLeftButton : 0) |
                                     ((state & Button3Mask) != 0 ? kRightButton : 0) |
                                     ((state & Button2Mask) != 0 ? kMiddleButton : 0));
}

std::int16_t ModifiersOf(unsigned int state) {
    return static_cast<std::int16_t>(((state & ShiftMask) != 0 ? kShiftDown : 0) |
                                     ((state & ControlMask) != 0 ? kCtrlDown : 0) |
                                     ((state & Mod1Mask) != 0 ? kAltDown : 0));
}

void SetProperty(Display* display, Window window, Atom property, Atom type, int format, const void* data, int count) {
    XChangeProperty(display, window, property, type, format, PropModeReplace, static_cast<const unsigned char*>(data),
                    count);
}

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

X11Platform::~X11Platform() {
    if (display_ != nullptr) XCloseDisplay(display_);  // the server lets go of the segment and the window
    if (sharedSegment_ != 0) shmdt(sharedSegment.shmaddr);
    if (image_ != nullptr) XDestroyImage(image_);  // a shared image's memory is the segment: freed above
}

bool X11Platform::Open() {
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
    XSetErrorHandler(QuitOnXError);
    XSetIOErrorHandler(QuitOnDisplayLoss);
    // Writing to a display that has gone must fail into that handler, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);

    const int screen = DefaultScreen(display_);
    const int depth = DefaultDepth(display_, screen);
    if (DefaultVisual(display_, screen)->c_class != TrueColor || (depth != 24 && depth != 32)) {
        std::fprintf(stderr, "TrenoxVK: the screen is not 24- or 32-bit TrueColor (depth %d)\n", depth);
        return false;
    }
    XInternAtoms(display_, const_cast<char**>(kAtomNames.data()), kAtomCount, False, atoms.data());
    CreateWindow();
    if (!CreateSharedImage()) CreatePlainImage();
    if (image_ == nullptr || image_->bits_per_pixel != 32) {
        std::fprintf(stderr, "TrenoxVK: the screen has no 32-bit pixel format for depth %d\n", depth);
        return false;
    }
    return true;
}

void X11Platform::CreateWindow() {
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // the picture covers the whole window: nothing to clear first
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            ExposureMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    xWindow_ = XCreateWindow(display_, RootWindow(display_, screen),
                             (DisplayWidth(display_, screen) - kClientWidth) / 2,
                             (DisplayHeight(display_, screen) - kClientHeight) / 2, kClientWidth, kClientHeight, 0,
                             CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWBorderPixel | CWEventMask,
                             &attributes);
    ourWindow = xWindow_;
    XGCValues values{};
    values.graphics_exposures = False;  // copies from our own pixmap never need repairs
    gc_ = XCreateGC(display_, xWindow_, GCGraphicsExposures, &values);
    SetWindowProperties();
}

void X11Platform::SetWindowProperties() {
    XStoreName(display_, xWindow_, kCaption.data());
    SetProperty(display_, xWindow_, atoms[kNetWmName], atoms[kUtf8String], 8, kCaption.data(),
                static_cast<int>(kCaption.size()));

    // Fixed size, centred: the window manager places its frame where the window asks.
    XSizeHints size{};
    size.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    const int screen = DefaultScreen(display_);
    size.x = (DisplayWidth(display_, screen) - kClientWidth) / 2;
    size.y = (DisplayHeight(display_, screen) - kClientHeight) / 2;
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
    XSetWMProperties(display_, xWindow_, nullptr, nullptr, nullptr, 0, &size, &hints, &classHint);

    const long pid = getpid();
    SetProperty(display_, xWindow_, atoms[kNetWmPid], XA_CARDINAL, 32, &pid, 1);
    SetProperty(display_, xWindow_, atoms[kNetWmIcon], XA_CARDINAL, 32, kWindowIcon,
                static_cast<int>(kWindowIconLength));
    SetProperty(display_, xWindow_, atoms[kNetWmWindowType], XA_ATOM, 32, &atoms[kNetWmWindowTypeNormal], 1);
    const std::array<unsigned long, 5> motifHints = {kMwmHintsFunctions | kMwmHintsDecorations,
                                                     kMwmFuncMove | kMwmFuncClose,
                                                     kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    SetProperty(display_, xWindow_, atoms[kMotifWmHints], atoms[kMotifWmHints], 32, motifHints.data(),
                static_cast<int>(motifHints.size()));
    std::array<Atom, 3> protocols = {atoms[kWmDeleteWindow], atoms[kWmTakeFocus], atoms[kNetWmPing]};
    XSetWMProtocols(display_, xWindow_, protocols.data(), static_cast<int>(protocols.size()));
}

bool X11Platform::CreateSharedImage() {
    if (XShmQueryExtension(display_) == False) return false;
    const int screen = DefaultScreen(display_);
    image_ = XShmCreateImage(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen), ZPixmap,
                             nullptr, &sharedSegment, kClientWidth, kClientHeight);
    if (image_ == nullptr) return false;
    sharedSegment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) * kClientHeight,
                                 IPC_CREAT | 0600);
    void* memory = sharedSegment.shmid >= 0 ? shmat(sharedSegment.shmid, nullptr, 0) : nullptr;
    if (memory == nullptr || reinterpret_cast<std::intptr_t>(memory) == -1) {  // shmat's failure
        if (sharedSegment.shmid >= 0) shmctl(sharedSegment.shmid, IPC_RMID, nullptr);
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    sharedSegment.shmaddr = image_->data = static_cast<char*>(memory);
    sharedSegment.readOnly = True;
    sharedMemoryRefused = false;
    XErrorHandler ours = XSetErrorHandler(NoteSharedMemoryRefused);
    XShmAttach(display_, &sharedSegment);
    XSync(display_, False);
    XSetErrorHandler(ours);
    // Marked for removal now, so that it goes with the process however the process ends.
    shmctl(sharedSegment.shmid, IPC_RMID, nullptr);
    if (sharedMemoryRefused) {
        shmdt(memory);
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    sharedSegment_ = sharedSegment.shmseg;
    return true;
}

void X11Platform::CreatePlainImage() {
    const int screen = DefaultScreen(display_);
    const int depth = DefaultDepth(display_, screen);
    constexpr int kRowPad = 32;
    image_ = XCreateImage(display_, DefaultVisual(display_, screen), static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          kClientWidth, kClientHeight, kRowPad, 0);
    if (image_ == nullptr) return;
    // Freed by XDestroyImage, with the image.
    image_->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image_->bytes_per_line) * kClientHeight));
    if (image_->data == nullptr) {
        XDestroyImage(image_);
        image_ = nullptr;
        return;
    }
    // Pixels are written as this machine's 32-bit words; Xlib swaps them for a server of the other order.
    image_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    pixmap_ = XCreatePixmap(display_, xWindow_, kClientWidth, kClientHeight, static_cast<unsigned>(depth));
}

void X11Platform::Show() {
    XWindowAttributes root{};
    XGetWindowAttributes(display_, DefaultRootWindow(display_), &root);
    managed_ = (root.all_event_masks & SubstructureRedirectMask) != 0;
    XMapRaised(display_, xWindow_);
    XFlush(display_);
}

void X11Platform::Run() {
    Show();
    while (!active_) {
        XEvent event;
        XNextEvent(display_, &event);
        Dispatch(event);
    }
    window_.Play(*this);
}

void X11Platform::ShowPicture(const Picture& picture) {
    const ChannelPlace red = PlaceOf(image_->red_mask);
    const ChannelPlace green = PlaceOf(image_->green_mask);
    const ChannelPlace blue = PlaceOf(image_->blue_mask);
    Palette colours{};  // the picture's colour table in the window's pixel format
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t rgb = picture.palette[i];
        colours[i] = Placed((rgb >> 16) & 0xFFU, red) | Placed((rgb >> 8) & 0xFFU, green) | Placed(rgb & 0xFFU, blue);
    }
    ColourSink sink{reinterpret_cast<std::uint32_t*>(image_->data),
                    image_->bytes_per_line / std::ptrdiff_t{sizeof(std::uint32_t)}, {kClientWidth, kClientHeight},
                    colours};
    DrawPicture(picture, sink);
    // Without shared memory the whole frame goes to the pixmap first: the window never shows half of it.
    if (sharedSegment_ == 0) XPutImage(display_, pixmap_, gc_, image_, 0, 0, 0, 0, kClientWidth, kClientHeight);
    showing_ = true;
    Present();
}

void X11Platform::Present() {
    if (!showing_) return;
    if (sharedSegment_ != 0) {
        XShmPutImage(display_, xWindow_, gc_, image_, 0, 0, 0, 0, kClientWidth, kClientHeight, False);
    } else {
        XCopyArea(display_, pixmap_, xWindow_, gc_, 0, 0, kClientWidth, kClientHeight, 0, 0);
    }
    // On screen now; and the server has read the shared image before the next frame is written into it.
    XSync(display_, False);
}

void X11Platform::ProcessPendingEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Dispatch(event);
    }
}

void X11Platform::Quit() { std::_Exit(EXIT_SUCCESS); }

// A window manager's frame around the window: centre the whole frame, as it is on a bare server.
void X11Platform::CentreWithFrame() {
    if (centred_ || !managed_) return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    constexpr long kEdges = 4;  // left, right, top, bottom
    if (XGetWindowProperty(display_, xWindow_, atoms[kNetFrameExtents], 0, kEdges, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && count == kEdges) {
        const auto* edges = reinterpret_cast<const long*>(data);  // format-32 data comes as longs
        const int width = kClientWidth + static_cast<int>(edges[0] + edges[1]);
        const int height = kClientHeight + static_cast<int>(edges[2] + edges[3]);
        if (width != kClientWidth || height != kClientHeight) {
            const int screen = DefaultScreen(display_);
            // With north-west gravity the window manager puts its frame's corner where the window asks.
            XMoveWindow(display_, xWindow_, (DisplayWidth(display_, screen) - width) / 2,
                        (DisplayHeight(display_, screen) - height) / 2);
            centred_ = true;
        }
    }
    if (data != nullptr) XFree(data);
}

// Once mapped: without a window manager the window takes the focus itself, with one it asks for it.
void X11Platform::TakeFocus(unsigned long time) {
    if (!managed_) {
        XSetInputFocus(display_, xWindow_, RevertToParent, time);
        return;
    }
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = xWindow_;
    request.xclient.message_type = atoms[kNetActiveWindow];
    request.xclient.format = 32;
    request.xclient.data.l[0] = kSourceApplication;
    request.xclient.data.l[1] = static_cast<long>(time);
    XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &request);
}

void X11Platform::Dispatch(XEvent& event) {
    switch (event.type) {
        case KeyPress: OnKey(event); break;
        case MotionNotify:
            input_.Dispatch(InputEvent::Moved(event.xmotion.x, event.xmotion.y, ButtonsOf(event.xmotion.state),
                                              ModifiersOf(event.xmotion.state)));
            break;
        // A window that appears under the pointer, or that the pointer enters, gets a move there.
        case EnterNotify:
            input_.Dispatch(InputEvent::Moved(event.xcrossing.x, event.xcrossing.y, ButtonsOf(event.xcrossing.state),
                                              ModifiersOf(event.xcrossing.state)));
            break;
        case ButtonPress:
        case ButtonRelease: {
            if (event.xbutton.button != Button1) break;
            // The server's milliseconds, which wrap at 32 bits.
            const auto time = static_cast<EventTime>(event.xbutton.time);
            input_.Dispatch(event.type == ButtonPress ? InputEvent::Pressed(event.xbutton.x, event.xbutton.y, time)
                                                      : InputEvent::Released(event.xbutton.x, event.xbutton.y, time));
            break;
        }
        case FocusIn:
            // Not a window manager's passing grab, nor focus that follows the pointer.
            if (event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) {
                if (event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) active_ = true;
            }
            break;
        case Expose:
            if (event.xexpose.count == 0) Present();
            break;
        case MapNotify:
            CentreWithFrame();
            if (!focusTaken_) TakeFocus(CurrentTime);
            focusTaken_ = true;
            break;
        case PropertyNotify:
            if (event.xproperty.atom == atoms[kNetFrameExtents]) CentreWithFrame();
            break;
        case ClientMessage:
            if (event.xclient.message_type != atoms[kWmProtocols]) break;
            if (const auto protocol = static_cast<Atom>(event.xclient.data.l[0]); protocol == atoms[kWmDeleteWindow]) {
                Quit();
            } else if (protocol == atoms[kWmTakeFocus]) {
                XSetInputFocus(display_, xWindow_, RevertToParent, static_cast<Time>(event.xclient.data.l[1]));
            } else if (protocol == atoms[kNetWmPing]) {
                // Answered to the root window: the window manager sees that we are alive.
                event.xclient.window = DefaultRootWindow(display_);
                XSendEvent(display_, event.xclient.window, False, SubstructureRedirectMask | SubstructureNotifyMask,
                           &event);
                XFlush(display_);
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == xWindow_) Quit();  // destroyed from outside: the window is gone
            break;
        case MappingNotify: XRefreshKeyboardMapping(&event.xmapping); break;
        default: break;
    }
}

void X11Platform::OnKey(XEvent& event) {
    std::array<char, 16> text{};
    KeySym key = NoSymbol;
    const int count = XLookupString(&event.xkey, text.data(), static_cast<int>(text.size()), &key, nullptr);
    if (const std::int16_t code = KeyCodeOf(key); code != 0) {
        input_.Dispatch(InputEvent::Typed(code));
        return;
    }
    // Typed characters in whatever layout the keyboard has; the command characters are all plain ASCII.
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7F;
    for (int i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (c >= kFirstPrintable && c < kDelete) input_.Dispatch(InputEvent::Typed(static_cast<std::int16_t>(c)));
    }
}
