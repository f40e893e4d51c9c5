// Measures one start of the program on an X display: the time from starting its command until
// frame 1 (or, if the probe polled past it, frame 2) is on screen, and the process's peak memory.
// Usage: startup_probe <frame01.bmp> <frame02.bmp> <command...>   Prints: <ms> <frame> <peak KiB>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "frames/rle8_decoder.h"

namespace {

// Before Xlib's headers, whose macro None would clash with DecodeError::None.
bool LoadFrame(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return DecodeRle8Bitmap(file, picture) == DecodeError::None;
}

}  // namespace

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kClientWidth = 799;
constexpr int kClientHeight = 598;
constexpr int kSampleStep = 3;  // every third pixel each way: tells the frames apart, polls fast
constexpr auto kGiveUpAfter = std::chrono::seconds(60);
constexpr auto kSettleBeforeMemory = std::chrono::seconds(2);  // let the start sequence finish

// The shown top-level window whose name carries the program's caption, or None.
Window FindProgramWindow(Display* display) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return None;
    Window found = None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            if (std::string(name).find("Trenox VK") != std::string::npos &&
                XGetWindowAttributes(display, children[i], &attributes) != 0 && attributes.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

bool Shows(XImage* image, const Picture& frame) {
    for (int y = 0; y < kClientHeight; y += kSampleStep) {
        for (int x = 0; x < kClientWidth; x += kSampleStep) {
            if ((XGetPixel(image, x, y) & 0xFFFFFFU) != frame.palette[frame.At(x, y)]) return false;
        }
    }
    return true;
}

// Windows come and go while the probe walks the tree; a vanished one is simply skipped.
int IgnoreXError(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

long PeakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(line.find_first_of("0123456789")));
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe <frame01.bmp> <frame02.bmp> <command...>\n");
        return 2;
    }
    Picture frames[2];
    if (!LoadFrame(argv[1], frames[0]) || !LoadFrame(argv[2], frames[1])) {
        std::fprintf(stderr, "startup_probe: cannot decode the frame files\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "startup_probe: no display\n");
        return 2;
    }

    XSetErrorHandler(&IgnoreXError);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[3], &argv[3]);
        _exit(127);
    }
    int seen = 0;
    double elapsedMs = 0;
    while (seen == 0 && std::chrono::steady_clock::now() - start < kGiveUpAfter) {
        const Window window = FindProgramWindow(display);
        XImage* image = window == None ? nullptr
                                       : XGetImage(display, window, 0, 0, kClientWidth, kClientHeight, AllPlanes, ZPixmap);
        if (image != nullptr) {
            for (int k = 0; k < 2 && seen == 0; ++k) {
                if (Shows(image, frames[k])) seen = k + 1;
            }
            XDestroyImage(image);
        }
        elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    std::this_thread::sleep_for(kSettleBeforeMemory);
    const long peakKiB = PeakResidentKiB(child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (seen == 0) {
        std::fprintf(stderr, "startup_probe: no frame came on screen\n");
        return 1;
    }
    std::printf("%.1f %d %ld\n", elapsedMs, seen, peakKiB);
    return 0;
}
