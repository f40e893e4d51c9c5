// The picture area's key and mouse handlers: they only write the playback state, or quit.
#pragma once

#include <cstdint>

#include "input/input_events.h"
#include "playback/platform.h"
#include "playback/playback_state.h"

// A typed character: ESC quits, the command characters set a request, anything else is ignored.
void Picture1_KeyPress(PlaybackState& state, Platform& platform, std::int16_t keyAscii);

// A pointer move at (x, y) in the picture area's scale. `button` and `shift` are not used.
void Picture1_MouseMove(PlaybackState& state, std::int16_t button, std::int16_t shift, float x, float y);

// A click switches between automatic and manual mode, saving and restoring the run.
void Picture1_Click(PlaybackState& state);

// A double-click ends the program.
void Picture1_DblClick(Platform& platform);
