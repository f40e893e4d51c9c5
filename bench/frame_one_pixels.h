// Frame 1 as the minimal Xlib program shows it, decoded by the project's own decoder.
#pragma once

#include <cstdint>
#include <vector>

// The top-left `width` x `height` pixels of frame 1 as 0x00RRGGBB, top row first; empty if it does
// not decode. Kept apart from the Xlib code, whose macros (None) clash with the decoder's names.
std::vector<std::uint32_t> FrameOnePixels(int width, int height);
