// Start-up of the main window: its pictures, and the playback loop once it is active.
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

void Trenox_VK::Play(Platform& platform) {
    Playback loop{playback, frameTable, images, platform, /*idleSteps=*/0, SteadyClockNow};
    RunPlayback(loop);
}
