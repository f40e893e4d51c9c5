// The main window Trenox_VK: its fixed layout, its pictures and playback state, and its start.
#pragma once

#include <string_view>

#include "frames/frame_set.h"
#include "input/picture_area.h"
#include "playback/platform.h"
#include "playback/playback_state.h"

// The caption doubles as the program's key help.
inline constexpr std::string_view kCaption =
    "                  Trenox VK         Single-Crankshaft Opposed-Piston-Engine"
    "                   Use:  , . / + - mouse                ESC to quit";
static_assert(kCaption.size() == 142);

struct Trenox_VK {
    FrameHolders images;  // Image1 ... Image18
    FrameTable frameTable{};
    PlaybackState playback;

    // Reads the frames built into the program into the holders, checking each one; reports a
    // damaged frame on stderr.
    bool LoadPictures();

    // Runs the playback loop on `platform`; called once, when the window first becomes active.
    [[noreturn]] void Play(Platform& platform);
};
