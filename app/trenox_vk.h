// The main window Trenox_VK: its fixed layout, its pictures and playback state, and its start.
#pragma once

#include <string_view>

#include "playback/platform.h"
#include "frames/frame_set.h"
#include "playback/playback_state.h"

// The caption doubles as the program's key help.
inline constexpr std::string_view kCaption =
    "                  Trenox VK         Single-Crankshaft Opposed-Piston-Engine"
    "                   Use:  , . / + - mouse                ESC to quit";
static_assert(kCaption.size() == 142);

inline constexpr int kClientWidth = 799;
inline constexpr int kClientHeight = 598;

// Picture1 fills the client area's width and reaches below it; only its scale matters there.
inline constexpr int kPictureWidth = 799;
inline constexpr int kPictureHeight = 700;
inline constexpr float kPictureScaleWidth = 14.88281F;
inline constexpr float kPictureScaleHeight = 29.84375F;

// A pointer pixel of Picture1 in its own scale (also outside the area, while a button holds it).
inline float PictureX(int px) { return static_cast<float>(px) * kPictureScaleWidth / kPictureWidth; }
inline float PictureY(int py) { return static_cast<float>(py) * kPictureScaleHeight / kPictureHeight; }

// A pointer pixel over the visible part of Picture1, where clicks count.
inline bool OverPicture(int px, int py) { return px >= 0 && px < kClientWidth && py >= 0 && py < kClientHeight; }

struct Trenox_VK {
    FrameHolders images;  // Image1 ... Image18
    FrameTable frameTable{};
    PlaybackState playback;
    bool activated = false;

    // Reads the frames built into the program into the holders, checking each one; reports a
    // damaged frame on stderr.
    bool LoadPictures();

    // The window has become active: the first time, this runs the playback loop and never returns.
    void Activate(Platform& platform);
};
