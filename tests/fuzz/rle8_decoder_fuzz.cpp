// libFuzzer target: the frame decoder must reject or decode any byte string without a fault, and a
// picture it accepts must draw into a window's smaller visible area without a write outside it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "tests/decoder_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const DecoderCheck check = CheckDecoder(std::span<const std::uint8_t>(data, size)); check.broken != nullptr) {
        std::fprintf(stderr, "decoder: %s\n", check.broken);
        std::abort();
    }
    return 0;
}
