// The X11 layer's events: keys, pointer, button, focus and close as neutral input events; exposure,
// mapping and the window manager's messages go to the window's parts.
#include "app/x11/x11_platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstddef>

#include "input/input_events.h"

void X11Platform::Translate(XEvent& event) {
    switch (event.type) {
        case KeyPress: OnKey(event); break;
        case MotionNotify: input_.Dispatch(InputEvent::Moved(event.xmotion.x, event.xmotion.y)); break;
        // A window that appears under the pointer, or that the pointer enters, gets a move there.
        case EnterNotify: input_.Dispatch(InputEvent::Moved(event.xcrossing.x, event.xcrossing.y)); break;
        case ButtonPress:
        case ButtonRelease: {
            if (event.xbutton.button != Button1) break;
            // The server's milliseconds, which wrap at 32 bits.
            const auto time = static_cast<EventTime>(event.xbutton.time);
            input_.Dispatch(event.type == ButtonPress ? InputEvent::Pressed(event.xbutton.x, event.xbutton.y, time)
                                                      : InputEvent::Released(event.xbutton.x, event.xbutton.y, time));
            break;
        }
        case FocusIn: OnFocus(event); break;
        case Expose:
            if (event.xexpose.count == 0) image_.Present();
            break;
        case MapNotify: window_.OnMapped(); break;
        case PropertyNotify: window_.OnPropertyChanged(event.xproperty.atom); break;
        case ClientMessage:
            if (event.xclient.message_type == connection_[kWmProtocols] && window_.OnProtocolMessage(event))
                input_.Dispatch(InputEvent::CloseRequested());
            break;
        case DestroyNotify:
            // Destroyed from outside: the window is gone, as with a close.
            if (event.xdestroywindow.window == window_.Id()) input_.Dispatch(InputEvent::CloseRequested());
            break;
        case MappingNotify: XRefreshKeyboardMapping(&event.xmapping); break;
        default: break;
    }
}

// The characters typed, in whatever layout the keyboard has: XLookupString gives Latin-1, whose
// bytes are their own code points.
void X11Platform::OnKey(XEvent& event) {
    std::array<char, 16> text{};
    const int count = XLookupString(&event.xkey, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    for (int i = 0; i < count; ++i)
        input_.Dispatch(InputEvent::Typed(static_cast<unsigned char>(text[static_cast<std::size_t>(i)])));
}

void X11Platform::OnFocus(const XEvent& event) {
    // Not a window manager's passing grab, nor focus that follows the pointer.
    const bool handedOver = event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed;
    if (handedOver && event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer)
        input_.Dispatch(InputEvent::Activated());
}
