// Linux platform layer: the main window as a plain Xlib window, its events as neutral input events.
// By job: the window and its properties (x11_window.cpp), the image and its presentation
// (x11_image.cpp, its colours x11_colours.cpp), event translation (x11_events.cpp), the process
// (x11_process.cpp).
#pragma once

#include <memory>

#include "app/trenox_vk.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

// Xlib's types; its headers stay out of here, whose macros (None, Status) would clash with the core's names.
union _XEvent;   // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct X11State;  // the layer's X resources and flags, in app/x11/x11_state.h

// SIGTERM, SIGINT and SIGHUP end the process at once with status 0; one ignored at start stays ignored.
void EndOnSignals();

class X11Platform final : public Platform {
public:
    explicit X11Platform(Trenox_VK& window);
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
    // The window and its window-manager properties.
    void CreateWindow();
    void SetWindowProperties();
    void CentreWithFrame();
    void TakeFocus(unsigned long time);

    // The screen's pixel format; the frames' colours allocated on an indexed screen.
    bool ChooseColours();
    bool AllocateColours();

    // The image and its presentation.
    bool CreateImage();
    bool CreateSharedImage();
    void CreatePlainImage();
    void Present();
    void ReleaseImage();  // after the connection is closed

    // Event translation.
    void Dispatch(_XEvent& event);
    void OnKey(_XEvent& event);
    void OnProtocolMessage(_XEvent& event);

    // The process: whether the server refused one of the requests sent since the last sync, instead
    // of that error ending the program.
    bool ServerRefusedPending();

    Trenox_VK& window_;
    InputDispatcher input_;
    std::unique_ptr<X11State> x_;
};
