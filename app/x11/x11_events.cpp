// The X11 layer's events: keys, pointer and button as neutral input events; focus, exposure,
// mapping and the window manager's protocols handled here.
#include "app/x11/x11_platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <array>
#include <cstdint>

#include "app/x11/x11_state.h"

namespace {

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

}  // namespace

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
                if (event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) x_->active = true;
            }
            break;
        case Expose:
            if (event.xexpose.count == 0) Present();
            break;
        case MapNotify:
            CentreWithFrame();
            if (!x_->focusTaken) TakeFocus(CurrentTime);
            x_->focusTaken = true;
            break;
        case PropertyNotify:
            if (event.xproperty.atom == x_->atoms[kNetFrameExtents]) CentreWithFrame();
            break;
        case ClientMessage:
            if (event.xclient.message_type == x_->atoms[kWmProtocols]) OnProtocolMessage(event);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == x_->window) Quit();  // destroyed from outside: the window is gone
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

// WM_PROTOCOLS: the close box, the window manager handing over the focus, and its liveness check.
void X11Platform::OnProtocolMessage(XEvent& event) {
    const auto protocol = static_cast<Atom>(event.xclient.data.l[0]);
    if (protocol == x_->atoms[kWmDeleteWindow]) {
        Quit();
    } else if (protocol == x_->atoms[kWmTakeFocus]) {
        XSetInputFocus(x_->display, x_->window, RevertToParent, static_cast<Time>(event.xclient.data.l[1]));
    } else if (protocol == x_->atoms[kNetWmPing]) {
        // Answered to the root window: the window manager sees that we are alive.
        event.xclient.window = DefaultRootWindow(x_->display);
        XSendEvent(x_->display, event.xclient.window, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(x_->display);
    }
}
