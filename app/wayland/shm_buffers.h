// The window's pictures in shared memory for the compositor: two buffers, so that one can be written
// while the compositor still reads the other; a buffer it holds is never written.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "frames/rle8_decoder.h"  // BitmapSize

struct wl_buffer;
struct wl_event_queue;
struct wl_shm;

struct ShmBuffer {
    wl_buffer* buffer = nullptr;
    std::uint32_t* pixels = nullptr;  // XRGB8888, `stride` pixels a row
    std::ptrdiff_t stride = 0;
    std::size_t bytes = 0;
    BitmapSize size{0, 0};  // the surface's, in logical pixels
    int scale = 0;      // device pixels per picture pixel, each way
    bool held = false;  // attached, and not yet released by the compositor
};

class ShmBuffers {
public:
    ShmBuffers() = default;
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;
    ~ShmBuffers();

    // `releases`: the queue the compositor's releases arrive on, apart from input.
    void Init(wl_shm* shm, wl_event_queue* releases);
    // A buffer the compositor does not hold, of a surface of `size` at `scale`, a new one all
    // `background`; nullptr if it holds both, or if the memory cannot be had.
    ShmBuffer* Free(BitmapSize size, int scale, std::uint32_t background);
    bool AnyHeld() const {
        return std::any_of(buffers_.begin(), buffers_.end(), [](const ShmBuffer& b) { return b.held; });
    }
    // The compositor takes `buffer` with the next commit, until it releases it.
    static void Attached(ShmBuffer& buffer) { buffer.held = true; }

private:
    bool Create(ShmBuffer& buffer, BitmapSize size, int scale);
    static void Destroy(ShmBuffer& buffer);

    wl_shm* shm_ = nullptr;  // a wrapper whose new objects deliver their events to the release queue
    std::array<ShmBuffer, 2> buffers_{};
};
