// TrenoxVK.exe: loads the frames, opens the window and lives in it.
#include "app/ending.h"
#include "app/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) EndProcess(EndReason::DamagedFrame);
    static Win32Platform platform(window);
    if (!platform.Open(instance)) EndProcess(EndReason::NoWindow);
    window.Live(platform, platform.Input());
}
