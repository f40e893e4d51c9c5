// The picture area's key and mouse handlers: they only write the playback state, or quit.
#pragma once

#include <cstdint>
#include <span>

#include "playback/platform.h"
#include "playback/playback_state.h"

// A command character and the request it sets; the usage lists the keys from these.
struct KeyCommand {
    char character;
    int request;
};
std::span<const KeyCommand> KeyCommands();

// The code ESC types: the quit action.
inline constexpr std::int16_t kEscapeKeyAscii = 27;

// A typed character: ESC quits, the command characters set a request, anything else is ignored.
void Picture1_KeyPress(PlaybackState& state, Platform& platform, std::int16_t keyAscii);

// A pointer move at (x, y) in the picture area's scale. `button` and `shift` are not used.
void Picture1_MouseMove(PlaybackState& state, std::int16_t button, std::int16_t shift, float x, float y);

// A click switches between automatic and manual mode, saving and restoring the run.
void Picture1_Click(PlaybackState& state);

// A double-click ends the program.
void Picture1_DblClick(Platform& platform);
