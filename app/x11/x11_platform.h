// Linux platform layer: the main window as a plain Xlib window, its events as Picture1 handler calls.
#pragma once

#include <cstdint>

#include "app/trenox_vk.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

// Xlib's types; its headers stay out of here, whose macros (None, Status) would clash with the core's names.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct _XGC;       // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct _XImage;    // NOLINT(bugprone-reserved-identifier): Xlib's own name
union _XEvent;     // NOLINT(bugprone-reserved-identifier): Xlib's own name

// SIGTERM, SIGINT and SIGHUP end the process at once with status 0; one ignored at start stays ignored.
void EndOnSignals();

class X11Platform final : public Platform {
public:
    explicit X11Platform(Trenox_VK& window) : window_(window), input_(window.playback, *this) {}
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;
    ~X11Platform();

    // Connects, creates the hidden window and its image; prints one line and returns false if it cannot.
    bool Open();
    // Maps the window; it is centred and takes the keyboard focus as its events arrive.
    void Show();
    // Shows the window, processes its events until it first becomes active, then runs the playback loop.
    [[noreturn]] void Run();

    void ShowPicture(const Picture& picture) override;
    void ProcessPendingEvents() override;
    [[noreturn]] void Quit() override;

private:
    using XId = unsigned long;  // Window, Pixmap, Atom, Time: all XIDs on the wire

    void CreateWindow();
    void SetWindowProperties();
    bool CreateSharedImage();
    void CreatePlainImage();
    void Present();
    void CentreWithFrame();
    void TakeFocus(XId time);
    void Dispatch(_XEvent& event);
    void OnKey(_XEvent& event);

    Trenox_VK& window_;
    InputDispatcher input_;
    _XDisplay* display_ = nullptr;
    XId xWindow_ = 0;
    _XGC* gc_ = nullptr;
    _XImage* image_ = nullptr;  // the one 799 x 598 image the frames are decoded into
    XId sharedSegment_ = 0;     // the server's handle of the image's shared memory, if it has one
    XId pixmap_ = 0;            // without shared memory: the whole frame goes here first, then to the window
    bool showing_ = false;
    bool managed_ = false;      // a window manager ran when the window was shown
    bool focusTaken_ = false;
    bool centred_ = false;
    bool active_ = false;       // the window has had the keyboard focus
};
