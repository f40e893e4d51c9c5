// TrenoxVK on Linux: loads the frames, opens the window and hands control to its events.
#include <cstdlib>

#include "app/command_line.h"
#include "app/x11/x11_platform.h"

int main(int argc, char* argv[]) {
    if (const CommandLine command = ParseCommandLine(argc, argv, {.out = stdout, .err = stderr}); command.exitStatus)
        return *command.exitStatus;
    EndOnSignals();
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) return EXIT_FAILURE;
    static X11Platform platform(window);
    if (!platform.Open()) return EXIT_FAILURE;
    platform.Run();
}
