// The picture area's key and mouse handlers: they only write the playback state, or quit.
#pragma once

#include <cstdint>

#include "playback/platform.h"
#include "playback/playback_state.h"

inline constexpr std::int16_t kKeyEscape = 27;
// What the layers give for keys that type no printable character; none of them is a command.
inline constexpr std::int16_t kKeyBackspace = 8;
inline constexpr std::int16_t kKeyTab = 9;
inline constexpr std::int16_t kKeyEnter = 13;
inline constexpr float kManualDelayCount = 10'000;
// delayCount in automatic mode is x * kPaceFactor * y, in the picture area's scale.
inline constexpr float kPaceFactor = 30;

// A typed character: ESC quits, the command characters set a request, anything else is ignored.
void Picture1_KeyPress(PlaybackState& state, Platform& platform, std::int16_t keyAscii);

// The `button` and `shift` bits a pointer move carries.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;
inline constexpr std::int16_t kShiftDown = 1;
inline constexpr std::int16_t kCtrlDown = 2;
inline constexpr std::int16_t kAltDown = 4;

// A pointer move at (x, y) in the picture area's scale. `button` and `shift` are not used.
void Picture1_MouseMove(PlaybackState& state, std::int16_t button, std::int16_t shift, float x, float y);

// A click switches between automatic and manual mode, saving and restoring the run.
void Picture1_Click(PlaybackState& state);

// A double-click ends the program.
void Picture1_DblClick(Platform& platform);
