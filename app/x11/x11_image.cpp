// The window's picture on X: a frame decoded straight into the image in the screen's pixel format,
// then shown through the shared segment, or copied whole to a pixmap first where the server cannot
// read our memory (another machine, or a server without MIT-SHM).
#include "app/x11/x11_image.h"

// Before Xlib, whose macro None clashes with the decoder's names.
#include "frames/pixel_sinks.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/window_layout.h"

struct X11Image::SharedSegment {
    XShmSegmentInfo info{};  // Xlib keeps a pointer to this in the shared image, while it lives
};

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

X11Image::X11Image(X11Connection& connection) : connection_(connection) {}

// The server's side (GC, pixmap, its attachment of the segment) goes with the connection.
X11Image::~X11Image() {
    if (image_ != nullptr) XDestroyImage(image_);  // a shared image's memory is the segment: detached below
    if (shared_) shmdt(shared_->info.shmaddr);
}

bool X11Image::Create(Window window) {
    Display* display = connection_.Get();
    window_ = window;
    XGCValues values{};
    values.graphics_exposures = False;  // copies from our own pixmap never need repairs
    gc_ = XCreateGC(display, window, GCGraphicsExposures, &values);
    if (!CreateShared()) CreatePlain();
    const int bits = image_ != nullptr ? image_->bits_per_pixel : 0;
    if (bits != 8 && bits != 16 && bits != 32) {
        std::fprintf(stderr, "TrenoxVK: the screen has no 8-, 16- or 32-bit pixel format for depth %d\n",
                     DefaultDepth(display, connection_.Screen()));
        return false;
    }
    return true;
}

bool X11Image::CreateShared() {
    Display* display = connection_.Get();
    if (XShmQueryExtension(display) == False) return false;
    auto shared = std::make_unique<SharedSegment>();
    XShmSegmentInfo& segment = shared->info;
    const int screen = connection_.Screen();
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
    const bool refused = connection_.ServerRefusedPending();
    // Marked for removal now, so that it goes with the process however the process ends.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (refused) {
        shmdt(memory);
        XDestroyImage(image);
        return false;
    }
    image_ = image;
    shared_ = std::move(shared);
    return true;
}

void X11Image::CreatePlain() {
    Display* display = connection_.Get();
    const int screen = connection_.Screen();
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
    image_ = image;
    pixmap_ = XCreatePixmap(display, window_, kClientWidth, kClientHeight, static_cast<unsigned>(depth));
}

void X11Image::Show(const Picture& picture, const PixelFormat& format) {
    switch (image_->bits_per_pixel) {
        case 8: DrawInto<std::uint8_t>(image_, picture, format); break;
        case 16: DrawInto<std::uint16_t>(image_, picture, format); break;
        default: DrawInto<std::uint32_t>(image_, picture, format); break;
    }
    // Without shared memory the whole frame goes to the pixmap first: the window never shows half of it.
    if (!shared_) XPutImage(connection_.Get(), pixmap_, gc_, image_, 0, 0, 0, 0, kClientWidth, kClientHeight);
    showing_ = true;
    Present();
}

void X11Image::Present() {
    if (!showing_) return;
    Display* display = connection_.Get();
    if (shared_) {
        XShmPutImage(display, window_, gc_, image_, 0, 0, 0, 0, kClientWidth, kClientHeight, False);
    } else {
        XCopyArea(display, pixmap_, window_, gc_, 0, 0, kClientWidth, kClientHeight, 0, 0);
    }
    // On screen now; and the server has read the shared image before the next frame is written into it.
    XSync(display, False);
}
