// Browser platform layer: the main window as a page with a canvas, its DOM events as neutral input events.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/trenox_vk.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

struct EmscriptenKeyboardEvent;

class WebPlatform final : public Platform {
public:
    explicit WebPlatform(Trenox_VK& window) : window_(window), input_(window.playback, *this) {}
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;
    ~WebPlatform() = default;

    // Titles the page, sizes the canvas and starts listening to the keyboard and the mouse.
    void Open();
    // Waits, giving the browser its turn, until the page has loaded and the canvas has the keyboard
    // focus; then runs the playback loop.
    [[noreturn]] void Run();

    void ShowPicture(const Picture& picture) override;
    void ProcessPendingEvents() override;
    // Ends the program for good: input is ignored and the canvas says so; the page stays.
    [[noreturn]] void Quit() override;
    void Breathe() override;

    using PointerHandler = void (*)(WebPlatform* self, int x, int y, int button, int buttons, bool shift, bool ctrl,
                                    bool alt, double time);
    using TapHandler = void (*)(WebPlatform* self, int x, int y, double time);

private:
    static int OnKeyDown(int eventType, const EmscriptenKeyboardEvent* event, void* self);
    // Called by the page for each event of the primary pointer, at a pixel of the canvas.
    static void OnPointer(WebPlatform* self, int x, int y, int button, int buttons, bool shift, bool ctrl, bool alt,
                          double time);
    // A finger's tap, as the browser recognises it: a press and a release of the left button there.
    static void OnTap(WebPlatform* self, int x, int y, double time);
    // Queued by the DOM callbacks until ProcessPendingEvents hands them to the dispatcher.
    void Enqueue(const InputEvent& event);
    void Yield();

    Trenox_VK& window_;
    InputDispatcher input_;
    // The picture shown, as the canvas takes it: 8-bit red, green, blue and alpha.
    std::array<std::uint32_t, static_cast<std::size_t>(kClientWidth) * kClientHeight> rgba_{};
    double lastYield_ = 0;  // ms on the page's clock
    bool pictureWaiting_ = false;  // shown on the canvas, not yet given a turn to reach the screen

    // A fixed ring, so that queuing allocates nothing. When full, a move replaces a move that is
    // the newest queued event; any other event is dropped.
    static constexpr std::size_t kQueueSize = 512;
    std::array<InputEvent, kQueueSize> queue_{};
    std::size_t queueHead_ = 0;
    std::size_t queued_ = 0;

    bool buttonHeldFromPicture_ = false;  // moves outside still count, as with a pointer grab
};
