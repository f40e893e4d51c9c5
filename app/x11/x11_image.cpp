// The X11 layer's image: the frame decoded into it in the screen's pixel format, then put in the
// window through MIT-SHM where the server shares our memory, else through a pixmap.
#include "app/x11/x11_platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/x11/x11_state.h"
#include "frames/pixel_format.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

// Decodes `picture` into an image of `Pixel`s, its colour table first turned into the screen's pixels.
template <class Pixel>
void DrawInto(XImage* image, const Picture& picture, const PixelFormat& format) {
    ColourTable<Pixel> colours;
    format.Convert(picture.palette, colours);
    ColourSinkOf<Pixel> sink{reinterpret_cast<Pixel*>(image->data), image->bytes_per_line / std::ptrdiff_t{sizeof(Pixel)},
                             {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
}

}  // namespace

bool X11Platform::CreateImage() {
    if (!CreateSharedImage()) CreatePlainImage();
    const int bits = x_->image != nullptr ? x_->image->bits_per_pixel : 0;
    if (bits != 8 && bits != 16 && bits != 32) {
        std::fprintf(stderr, "TrenoxVK: the screen has no 8-, 16- or 32-bit pixel format for depth %d\n",
                     DefaultDepth(x_->display, DefaultScreen(x_->display)));
        return false;
    }
    return true;
}

bool X11Platform::CreateSharedImage() {
    Display* display = x_->display;
    if (XShmQueryExtension(display) == False) return false;
    XShmSegmentInfo& segment = x_->segment;
    const int screen = DefaultScreen(display);
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen), DefaultDepth(display, screen), ZPixmap,
                                    nullptr, &segment, kClientWidth, kClientHeight);
    if (image == nullptr) return false;
    segment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * kClientHeight,
                           IPC_CREAT | 0600);
    void* memory = segment.shmid >= 0 ? shmat(segment.shmid, nullptr, 0) : nullptr;
    if (memory == nullptr || reinterpret_cast<std::intptr_t>(memory) == -1) {  // shmat's failure
        if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    segment.shmaddr = image->data = static_cast<char*>(memory);
    segment.readOnly = True;
    XShmAttach(display, &segment);
    // A server that cannot reach our memory (another machine) refuses the segment: draw without it.
    const bool refused = ServerRefusedPending();
    // Marked for removal now, so that it goes with the process however the process ends.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (refused) {
        shmdt(memory);
        XDestroyImage(image);
        return false;
    }
    x_->image = image;
    x_->sharedMemory = true;
    return true;
}

void X11Platform::CreatePlainImage() {
    Display* display = x_->display;
    const int screen = DefaultScreen(display);
    const int depth = DefaultDepth(display, screen);
    constexpr int kRowPad = 32;
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), static_cast<unsigned>(depth), ZPixmap, 0,
                                 nullptr, kClientWidth, kClientHeight, kRowPad, 0);
    if (image == nullptr) return;
    // Freed by XDestroyImage, with the image.
    image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * kClientHeight));
    if (image->data == nullptr) {
        XDestroyImage(image);
        return;
    }
    // Pixels are written as this machine's words; Xlib swaps them for a server of the other order.
    image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    x_->image = image;
    x_->pixmap = XCreatePixmap(display, x_->window, kClientWidth, kClientHeight, static_cast<unsigned>(depth));
}

void X11Platform::ReleaseImage() {
    if (x_->sharedMemory) shmdt(x_->segment.shmaddr);
    if (x_->image != nullptr) XDestroyImage(x_->image);  // a shared image's memory is the segment: freed above
}

void X11Platform::ShowPicture(const Picture& picture) {
    XImage* image = x_->image;
    switch (image->bits_per_pixel) {
        case 8: DrawInto<std::uint8_t>(image, picture, x_->format); break;
        case 16: DrawInto<std::uint16_t>(image, picture, x_->format); break;
        default: DrawInto<std::uint32_t>(image, picture, x_->format); break;
    }
    // Without shared memory the whole frame goes to the pixmap first: the window never shows half of it.
    if (!x_->sharedMemory)
        XPutImage(x_->display, x_->pixmap, x_->gc, image, 0, 0, 0, 0, kClientWidth, kClientHeight);
    x_->showing = true;
    Present();
}

void X11Platform::Present() {
    if (!x_->showing) return;
    if (x_->sharedMemory) {
        XShmPutImage(x_->display, x_->window, x_->gc, x_->image, 0, 0, 0, 0, kClientWidth, kClientHeight, False);
    } else {
        XCopyArea(x_->display, x_->pixmap, x_->window, x_->gc, 0, 0, kClientWidth, kClientHeight, 0, 0);
    }
    // On screen now; and the server has read the shared image before the next frame is written into it.
    XSync(x_->display, False);
}
