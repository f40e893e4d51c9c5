// Linux platform layer: owns the SDL2 window and turns SDL and X11 events into Picture1 handler calls.
#include "app/sdl/sdl_platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"
#include "input/picture1_handlers.h"

namespace {

// Two presses of the left button this close in time and place make a double-click.
constexpr std::uint32_t kDoubleClickMs = 500;
constexpr int kDoubleClickRadius = 4;

// Motif window-manager hints: a title bar with a close box, no minimise or maximise box.
constexpr unsigned long kMwmHintsFunctions = 1UL << 0;
constexpr unsigned long kMwmHintsDecorations = 1UL << 1;
constexpr unsigned long kMwmFuncMove = 1UL << 2;
constexpr unsigned long kMwmFuncClose = 1UL << 5;
constexpr unsigned long kMwmDecorBorder = 1UL << 1;
constexpr unsigned long kMwmDecorTitle = 1UL << 3;
constexpr unsigned long kMwmDecorMenu = 1UL << 4;

// Key codes of the picture area for keys that SDL reports only as key presses, not as text.
constexpr std::int16_t kKeyBackspace = 8;
constexpr std::int16_t kKeyTab = 9;
constexpr std::int16_t kKeyEnter = 13;

void AskForFixedDialogFrame(Display* display, Window window) {
    const unsigned long hints[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                                    kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    const Atom atom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, atom, atom, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints),
                    5);
}

// SDL centres the client area; with a window manager's frame around it, centre the whole window.
void CentreWithFrame(SDL_Window* window) {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    SDL_Rect screen;
    SDL_PumpEvents();  // reads the frame's size, which the window manager sets as it maps the window
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0 || top + left + bottom + right == 0 ||
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &screen) != 0)
        return;
    SDL_SetWindowPosition(window, screen.x + (screen.w - (kClientWidth + left + right)) / 2 + left,
                          screen.y + (screen.h - (kClientHeight + top + bottom)) / 2 + top);
}

// Losing the display is the quit action too: by default Xlib would end the process with status 1.
int QuitOnDisplayLoss(Display* /*display*/) { std::_Exit(EXIT_SUCCESS); }

Window ourWindow = 0;  // Xlib's error handlers take no context of their own

// Our window destroyed from outside is closed like any other way; any other X error is a fault.
// Both end at once: Xlib's default handler calls exit(), whose destructors would then wait on
// the broken window for ever.
int QuitOnXError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->resourceid == ourWindow) std::_Exit(EXIT_SUCCESS);
    std::array<char, 256> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "TrenoxVK: X error: %s\n", text.data());
    std::_Exit(EXIT_FAILURE);
}

std::int16_t KeyCodeOf(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return kKeyEscape;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return kKeyEnter;
        case SDLK_BACKSPACE: return kKeyBackspace;
        case SDLK_TAB: return kKeyTab;
        default: return 0;
    }
}

// Buttons and modifier keys as the move handler counts them.
std::int16_t ButtonsOf(std::uint32_t state) {
    return static_cast<std::int16_t>(((state & SDL_BUTTON_LMASK) != 0 ? kLeftButton : 0) |
                                     ((state & SDL_BUTTON_RMASK) != 0 ? kRightButton : 0) |
                                     ((state & SDL_BUTTON_MMASK) != 0 ? kMiddleButton : 0));
}

std::int16_t ModifiersOf(SDL_Keymod mod) {
    return static_cast<std::int16_t>(((mod & KMOD_SHIFT) != 0 ? kShiftDown : 0) |
                                     ((mod & KMOD_CTRL) != 0 ? kCtrlDown : 0) | ((mod & KMOD_ALT) != 0 ? kAltDown : 0));
}

}  // namespace

SdlPlatform::~SdlPlatform() {
    if (sdlWindow_ != nullptr) SDL_DestroyWindow(sdlWindow_);
    SDL_Quit();
}

bool SdlPlatform::Open() {
    // Frames go straight into the window's own framebuffer (X shared memory): no renderer, no
    // texture, no copy between them; an OpenGL framebuffer would load Mesa for a 2-D blit.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Only X11 shows a window we can use (button timestamps, frame hints); without it SDL would
    // fall back to an off-screen driver and wait forever for an activation that never comes.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "TrenoxVK: no display found (%s)\n", SDL_GetError());
        return false;
    }
    sdlWindow_ = SDL_CreateWindow(kCaption.data(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kClientWidth,
                                  kClientHeight, SDL_WINDOW_HIDDEN);
    const SDL_Surface* surface = sdlWindow_ != nullptr ? SDL_GetWindowSurface(sdlWindow_) : nullptr;
    if (surface == nullptr || surface->format->BytesPerPixel != sizeof(std::uint32_t)) {
        std::fprintf(stderr, "TrenoxVK: cannot open the window (%s)\n", SDL_GetError());
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdlWindow_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        ourWindow = info.info.x11.window;
        AskForFixedDialogFrame(info.info.x11.display, ourWindow);
        XSetErrorHandler(QuitOnXError);
        XSetIOErrorHandler(QuitOnDisplayLoss);
    }
    // Writing to a display that has gone must fail into that handler, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    // X11 timestamps tell when a button was really pressed, however late the loop reads it.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

void SdlPlatform::Show() {
    SDL_ShowWindow(sdlWindow_);
    CentreWithFrame(sdlWindow_);
    SDL_RaiseWindow(sdlWindow_);
}

void SdlPlatform::Run() {
    Show();
    SDL_Event event;
    while (SDL_WaitEvent(&event) != 0) Dispatch(event);
    std::fprintf(stderr, "TrenoxVK: lost the window's events (%s)\n", SDL_GetError());
    std::_Exit(EXIT_FAILURE);
}

void SdlPlatform::ShowPicture(const Picture& picture) {
    SDL_Surface* surface = SDL_GetWindowSurface(sdlWindow_);
    if (surface == nullptr || SDL_LockSurface(surface) != 0) return;
    Palette colours{};  // the picture's colour table in the window's pixel format
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t rgb = picture.palette[i];
        colours[i] = SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                                static_cast<Uint8>(rgb));
    }
    ColourSink sink{static_cast<std::uint32_t*>(surface->pixels), surface->pitch / std::ptrdiff_t{sizeof(std::uint32_t)},
                    {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
    SDL_UnlockSurface(surface);
    Present();
}

void SdlPlatform::Present() { SDL_UpdateWindowSurface(sdlWindow_); }

void SdlPlatform::ProcessPendingEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Dispatch(event);
}

void SdlPlatform::Quit() { std::_Exit(EXIT_SUCCESS); }

void SdlPlatform::Dispatch(const SDL_Event& event) {
    PlaybackState& state = window_.playback;
    switch (event.type) {
        case SDL_QUIT: Quit();
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: Quit();
                case SDL_WINDOWEVENT_EXPOSED: Present(); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: window_.Activate(*this); break;
                default: break;
            }
            break;
        case SDL_KEYDOWN:
            if (const std::int16_t code = KeyCodeOf(event.key.keysym.sym); code != 0)
                Picture1_KeyPress(state, *this, code);
            break;
        case SDL_TEXTINPUT:
            // Typed characters arrive as UTF-8; the command characters are all plain ASCII.
            for (const char* c = event.text.text; *c != '\0'; ++c) {
                if (static_cast<unsigned char>(*c) < 0x80) Picture1_KeyPress(state, *this, static_cast<std::int16_t>(*c));
            }
            break;
        case SDL_MOUSEMOTION:
            Picture1_MouseMove(state, ButtonsOf(event.motion.state), ModifiersOf(SDL_GetModState()),
                               PictureX(event.motion.x), PictureY(event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT)
                OnLeftButton(event.type == SDL_MOUSEBUTTONDOWN, event.button.x, event.button.y,
                             haveServerTime_ ? serverButtonTime_ : event.button.timestamp);
            break;
        case SDL_SYSWMEVENT:
            if (event.syswm.msg->subsystem == SDL_SYSWM_X11) {
                const XEvent& x = event.syswm.msg->msg.x11.event;
                if ((x.type == ButtonPress || x.type == ButtonRelease) && x.xbutton.button == Button1) {
                    haveServerTime_ = true;
                    serverButtonTime_ = static_cast<std::uint32_t>(x.xbutton.time);
                }
            }
            break;
        default: break;
    }
}

void SdlPlatform::OnLeftButton(bool down, int x, int y, std::uint32_t time) {
    if (!down) {
        if (pressedOverPicture_ && OverPicture(x, y)) Picture1_Click(window_.playback);
        pressedOverPicture_ = false;
        return;
    }
    const bool doubleClick = havePreviousPress_ && time - previousPressTime_ <= kDoubleClickMs &&
                             std::abs(x - previousPressX_) <= kDoubleClickRadius &&
                             std::abs(y - previousPressY_) <= kDoubleClickRadius;
    if (doubleClick && OverPicture(x, y)) Picture1_DblClick(*this);
    havePreviousPress_ = true;
    previousPressTime_ = time;
    previousPressX_ = x;
    previousPressY_ = y;
    pressedOverPicture_ = OverPicture(x, y);
}
