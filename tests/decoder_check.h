// What the frame decoder promises for any input at all, checked in one place for the fuzz target
// and for the replay of the committed corpus of inputs that once upset it.
#pragma once

#include <cstdint>
#include <span>

#include "frames/rle8_decoder.h"

struct DecoderCheck {
    DecodeError error = DecodeError::None;  // what the decoder made of the input
    const char* broken = nullptr;           // the promise it broke, if any
};

// Decodes `file` whole and as a picture, then draws an accepted one into a window's smaller
// visible area: both must agree on the outcome, a success must give a whole picture and a failure
// none, and the drawn area must show the decoded pixels, written nowhere outside it.
DecoderCheck CheckDecoder(std::span<const std::uint8_t> file);
