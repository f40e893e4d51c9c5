// TrenoxVK on Linux: loads the frames, then opens its window on the Wayland compositor of the
// session if it can reach one, else on the X display. TRENOX_SESSION=wayland or x11 chooses.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/wayland/wayland_platform.h"
#include "app/x11/x11_platform.h"

namespace {

enum class Session { Either, Wayland, X11 };

// An unknown value is reported and left out of the choice.
Session Forced() {
    const char* forced = std::getenv("TRENOX_SESSION");
    if (forced == nullptr || *forced == '\0') return Session::Either;
    if (std::strcmp(forced, "wayland") == 0) return Session::Wayland;
    if (std::strcmp(forced, "x11") == 0) return Session::X11;
    std::fprintf(stderr, "TrenoxVK: TRENOX_SESSION=%s is neither wayland nor x11; ignored\n", forced);
    return Session::Either;
}

bool NamesCompositor() {
    for (const char* variable : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

int main(int /*argc*/, char* /*argv*/[]) {
    EndOnSignals();
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) return EXIT_FAILURE;
    const Session session = Forced();
    if (session == Session::Wayland || (session == Session::Either && NamesCompositor())) {
        static WaylandPlatform wayland(window);
        if (wayland.Connect()) {
            if (!wayland.Open()) return EXIT_FAILURE;
            wayland.Run();
        }
        if (session == Session::Wayland) {
            const char* name = std::getenv("WAYLAND_DISPLAY");
            std::fprintf(stderr, "TrenoxVK: no display found (cannot reach the Wayland compositor %s)\n",
                         name != nullptr && *name != '\0' ? name : "wayland-0");
            return EXIT_FAILURE;
        }
    }
    static X11Platform x11(window);
    if (!x11.Open()) return EXIT_FAILURE;
    x11.Run();
}
