// What each of the eighteen frames looks like in the window, and which one a screenshot shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// The program's own layout: its client area (kClientWidth x kClientHeight) shows the top-left part
// of each of its kFrameCount frames. Xlib's macros (None, Window) clash with its names: include
// this before any X header.
#include "app/trenox_vk.h"

// Pixels of a capture that are not the program's: a compositor's pointer drawn over the picture.
struct CoveredBox {
    int left = 0;
    int top = 0;
    int right = 0;   // one past the last column
    int bottom = 0;  // one past the last row
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// A screenshot of a window, 0x00RRGGBB per pixel, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::optional<CoveredBox> covered;  // left out of every comparison
};

// Where the client area starts inside a captured window (non-zero when the capture has a frame).
struct ClientOffset {
    int x = 0;
    int y = 0;
};

class FrameCatalog {
public:
    // Decodes the frames built into the program, as the program itself does.
    FrameCatalog();

    // Frame number (1 to 18) that fills the client area at `offset` exactly, if any.
    std::optional<int> Identify(const Capture& capture, ClientOffset offset) const;
    // The offset at which some frame fills the capture exactly, if any.
    std::optional<ClientOffset> Locate(const Capture& capture) const;

private:
    bool Matches(int frameIndex, const Capture& capture, ClientOffset offset) const;

    std::array<std::vector<std::uint32_t>, kFrameCount> shown_;  // visible part of each frame, as RGB
    std::unordered_map<std::uint64_t, int> byHash_;               // hash of a visible part -> frame index
};
