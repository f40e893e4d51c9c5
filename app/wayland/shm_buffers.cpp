// Shared-memory buffers: an anonymous file per buffer, mapped here and handed to the compositor.
#include "app/wayland/shm_buffers.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>

namespace {

void OnRelease(void* data, wl_buffer* /*buffer*/) { static_cast<ShmBuffer*>(data)->held = false; }
constexpr wl_buffer_listener kReleaseListener{OnRelease};

}  // namespace

ShmBuffers::~ShmBuffers() {
    for (ShmBuffer& buffer : buffers_) Destroy(buffer);
    if (shm_ != nullptr) wl_proxy_wrapper_destroy(shm_);
}

void ShmBuffers::Init(wl_shm* shm, wl_event_queue* releases) {
    shm_ = static_cast<wl_shm*>(wl_proxy_create_wrapper(shm));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(shm_), releases);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): a factor and a pixel, never confused
ShmBuffer* ShmBuffers::Free(BitmapSize size, int scale, std::uint32_t background) {
    for (ShmBuffer& buffer : buffers_) {
        if (buffer.held) continue;
        if (buffer.scale != scale || buffer.size.width != size.width || buffer.size.height != size.height) {
            Destroy(buffer);
            if (!Create(buffer, size, scale)) return nullptr;
            std::fill_n(buffer.pixels, buffer.bytes / sizeof(std::uint32_t), background);
        }
        return &buffer;
    }
    return nullptr;
}

bool ShmBuffers::Create(ShmBuffer& buffer, BitmapSize size, int scale) {
    const int width = size.width * scale;
    const int height = size.height * scale;
    const int strideBytes = width * static_cast<int>(sizeof(std::uint32_t));
    const std::size_t bytes = static_cast<std::size_t>(strideBytes) * static_cast<std::size_t>(height);
    const int fd = memfd_create("trenoxvk-picture", MFD_CLOEXEC);
    if (fd < 0) return false;
    void* mapped = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        close(fd);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<int>(bytes));
    buffer.buffer = wl_shm_pool_create_buffer(pool, 0, width, height, strideBytes, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);  // the buffer keeps the memory; the file is the compositor's copy now
    close(fd);
    wl_buffer_add_listener(buffer.buffer, &kReleaseListener, &buffer);
    buffer.pixels = static_cast<std::uint32_t*>(mapped);
    buffer.stride = width;
    buffer.bytes = bytes;
    buffer.size = size;
    buffer.scale = scale;
    return true;
}

void ShmBuffers::Destroy(ShmBuffer& buffer) {
    if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
    if (buffer.pixels != nullptr) munmap(buffer.pixels, buffer.bytes);
    buffer = ShmBuffer{};
}
