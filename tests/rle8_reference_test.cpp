// The strict RLE8 decoder against an independent one: SDL's BMP loader reads the same frames.
#include <gtest/gtest.h>

#include <SDL.h>

#include "frames/frame_set.h"
#include "frames/rle8_decoder.h"

namespace {

// SDL's own BMP loader reads the same files: pixel indices and colours must agree on every frame.
TEST(Rle8Decoder, AgreesWithSdlsLoaderOnEveryFrame) {
    for (int k = 0; k < kFrameCount; ++k) {
        const auto file = kEmbeddedFrameFiles[static_cast<std::size_t>(k)];
        IndexedImage ours;
        ASSERT_EQ(DecodeRle8Bitmap(file, ours), DecodeError::None) << "frame " << k + 1;
        SDL_Surface* theirs = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
        ASSERT_NE(theirs, nullptr) << SDL_GetError();
        ASSERT_EQ(theirs->format->BitsPerPixel, 8);
        ASSERT_EQ(theirs->w, ours.width);
        ASSERT_EQ(theirs->h, ours.height);
        int mismatches = 0;
        for (int y = 0; y < ours.height; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(theirs->pixels) + static_cast<std::ptrdiff_t>(y) * theirs->pitch;
            for (int x = 0; x < ours.width; ++x) mismatches += row[x] != ours.At(x, y) ? 1 : 0;
        }
        EXPECT_EQ(mismatches, 0) << "frame " << k + 1;
        for (int i = 0; i < theirs->format->palette->ncolors; ++i) {
            const SDL_Color c = theirs->format->palette->colors[i];
            EXPECT_EQ(ours.palette[static_cast<std::size_t>(i)],
                      static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b)) << "frame " << k + 1 << " colour " << i;
        }
        SDL_FreeSurface(theirs);
    }
}

}  // namespace
