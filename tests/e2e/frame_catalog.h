// What each of the eighteen frames looks like in the window, and which one a screenshot shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// The program's own layout: its client area (kClientWidth x kClientHeight) shows the top-left part
// of each of its kFrameCount frames. Xlib's macros (None, Window) clash with its names: include
// these before any X header.
#include "app/window_layout.h"
#include "frames/frame_set.h"
#include "tests/e2e/screen_colours.h"

// Where the client area starts inside a captured window (non-zero when the capture has a frame).
struct ClientOffset {
    int x = 0;
    int y = 0;
};

class FrameCatalog {
public:
    // Decodes the frames built into the program, as the program itself does, in the colours that
    // `screen` shows for them (by default those of a 24-bit screen: as they are).
    explicit FrameCatalog(const ScreenColours& screen = {});

    // How the screen shows colours: what a capture is turned into before it is compared.
    const ScreenColours& Screen() const { return screen_; }

    // Frame number (1 to 18) that fills the client area at `offset` exactly, if any.
    std::optional<int> Identify(const Capture& capture, ClientOffset offset) const;
    // The offset at which some frame fills the capture exactly, if any.
    std::optional<ClientOffset> Locate(const Capture& capture) const;

private:
    bool Matches(int frameIndex, const Capture& capture, ClientOffset offset) const;

    ScreenColours screen_;
    std::array<std::vector<std::uint32_t>, kFrameCount> shown_;  // visible part of each frame, as shown
    std::unordered_map<std::uint64_t, int> byHash_;               // hash of a visible part -> frame index
};
