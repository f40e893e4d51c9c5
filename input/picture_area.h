// Picture1, the picture area that fills the window's client area and takes all input: its size,
// the part of it that is visible, and its own coordinate scale.
#pragma once

// The part of Picture1 that the window's client area shows (app/window_layout.h).
inline constexpr int kVisibleWidth = 799;
inline constexpr int kVisibleHeight = 598;

// Picture1 fills the client area's width and reaches below it; only its scale matters there.
inline constexpr int kPictureWidth = 799;
inline constexpr int kPictureHeight = 700;
inline constexpr float kPictureScaleWidth = 14.88281F;
inline constexpr float kPictureScaleHeight = 29.84375F;

// A pointer pixel of Picture1 in its own scale (also outside the area, while a button holds it).
inline float PictureX(int px) { return static_cast<float>(px) * kPictureScaleWidth / kPictureWidth; }
inline float PictureY(int py) { return static_cast<float>(py) * kPictureScaleHeight / kPictureHeight; }

// A pointer pixel over the visible part of Picture1, where clicks count.
inline bool OverPicture(int px, int py) { return px >= 0 && px < kVisibleWidth && py >= 0 && py < kVisibleHeight; }
