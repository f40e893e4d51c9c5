// The main window Trenox_VK as every platform lays it out: its caption, its client area, which
// Picture1 fills, its names for the desktop, and what it shows until frame 1.
#pragma once

#include <cstdint>
#include <string_view>

#include "input/picture_area.h"

// The caption doubles as the program's key help.
inline constexpr std::string_view kCaption =
    "                  Trenox VK         Single-Crankshaft Opposed-Piston-Engine"
    "                   Use:  , . / + - mouse                ESC to quit";
static_assert(kCaption.size() == 142);

// The client area: fixed, and all of it Picture1's visible part.
inline constexpr int kClientWidth = kVisibleWidth;
inline constexpr int kClientHeight = kVisibleHeight;

// The desktop entry's name without ".desktop" (TRENOX_APP_ID of cmake/install.cmake): how a
// Wayland compositor finds the window's icon.
inline constexpr char kAppId[] = "invalid.trenox.trenoxvk";
// The window class (X11's WM_CLASS, the desktop entry's StartupWMClass; Win32's class name).
inline constexpr char kWindowClassName[] = "TrenoxVK";

// Until frame 1 the client area shows a light grey like a dialog's, which no frame pixel has
// (their colours are a 3-3-2 cube): 0x00RRGGBB.
inline constexpr std::uint32_t kBackgroundRgb = 0xF0F0F0;
