// TrenoxVK in the browser: loads the frames, takes over the page and lives in it.
#include <cstdlib>

#include "app/web/web_platform.h"

int main() {
    // Static: the window lives for the whole run, and its life never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) return EXIT_FAILURE;
    static WebPlatform platform(window);
    platform.Open();
    window.Live(platform, platform.Input());
}
