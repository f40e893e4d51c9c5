// TrenoxVK.exe: loads the frames, opens the window and hands control to its messages.
#include <cstdlib>

#include "app/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) return EXIT_FAILURE;
    static Win32Platform platform(window);
    if (!platform.Open(instance)) return EXIT_FAILURE;
    platform.Run();
}
