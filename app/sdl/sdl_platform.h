// Linux platform layer: the main window as an SDL2 window, its native events as Picture1 handler calls.
#pragma once

#include <cstdint>

#include "playback/platform.h"
#include "app/trenox_vk.h"

struct SDL_Window;
union SDL_Event;

class SdlPlatform final : public Platform {
public:
    explicit SdlPlatform(Trenox_VK& window) : window_(window) {}
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;
    ~SdlPlatform();

    // Opens the hidden window and its framebuffer; prints one line and returns false without a display.
    bool Open();
    // Shows the window, centred, and asks for the keyboard focus.
    void Show();
    // Shows the window and processes its events; the first activation starts the playback loop.
    [[noreturn]] void Run();

    void ShowPicture(const Picture& picture) override;
    void ProcessPendingEvents() override;
    [[noreturn]] void Quit() override;

private:
    void Dispatch(const SDL_Event& event);
    void OnLeftButton(bool down, int x, int y, std::uint32_t time);
    void Present();

    Trenox_VK& window_;
    SDL_Window* sdlWindow_ = nullptr;

    // Click and double-click recognition, timed by the X server's own event times when it gives them.
    bool haveServerTime_ = false;
    std::uint32_t serverButtonTime_ = 0;
    bool pressedOverPicture_ = false;
    bool havePreviousPress_ = false;
    std::uint32_t previousPressTime_ = 0;
    int previousPressX_ = 0;
    int previousPressY_ = 0;
};
