// The main window's pictures, and its life: shown, activated once, then the playback loop.
#include "app/trenox_vk.h"

#include <cstdio>

#include "playback/playback.h"

bool Trenox_VK::LoadPictures() {
    const FrameLoadResult result = LoadFrameHolders(images);
    if (result.error == DecodeError::None) return true;
    std::fprintf(stderr, "TrenoxVK: frame %d is damaged: %s\n", result.frameNumber,
                 DescribeDecodeError(result.error));
    return false;
}

void Trenox_VK::Live(Platform& platform, const InputDispatcher& input) {
    platform.ShowWindow();
    while (!input.Activated()) platform.WaitForEvents();
    // At the top level, not inside an event handler: the loop processes the events from now on.
    Playback loop{playback, frameTable, images, platform, /*idleSteps=*/0, SteadyClockNow};
    RunPlayback(loop);
}
