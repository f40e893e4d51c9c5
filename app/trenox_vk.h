// The main window Trenox_VK: its pictures and playback state, and its life on any platform.
#pragma once

#include "frames/frame_set.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"
#include "playback/playback_state.h"

struct Trenox_VK {
    FrameHolders images;  // Image1 ... Image18
    FrameTable frameTable{};
    PlaybackState playback;

    // Reads the frames built into the program into the holders, checking each one; reports a
    // damaged frame on stderr.
    bool LoadPictures();

    // The window's life on `platform`, whose events go to `input`: shows the window, processes its
    // events until it first becomes active, then runs the playback loop, which never returns.
    [[noreturn]] void Live(Platform& platform, const InputDispatcher& input);
};
