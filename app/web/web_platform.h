// Browser platform layer: the main window as a page with a canvas, what the page reports as
// neutral input events.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/trenox_vk.h"
#include "app/window_layout.h"
#include "frames/pixel_format.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"
#include "playback/playback_state.h"

class WebPlatform final : public Platform {
public:
    explicit WebPlatform(Trenox_VK& window);
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;
    ~WebPlatform() = default;

    // Titles the page, sizes the canvas, fits the window to the screen and starts listening.
    void Open();
    const InputDispatcher& Input() const { return input_; }

    // The page is shown already: the canvas takes the keyboard focus, as a new window would.
    void ShowWindow() override;
    void WaitForEvents() override;
    void ProcessPendingEvents() override;
    void ShowPicture(const Picture& picture) override;
    // A page cannot end its tab: input is ignored from now on, the canvas says so, and the program
    // waits for good.
    [[noreturn]] void End(EndReason reason) override;
    void Breathe() override;

    // What the page reports, queued until ProcessPendingEvents hands it to the dispatcher.
    void Queue(const InputEvent& event);

private:
    void Yield();
    // Tells the page's live region when the run starts, turns or stops, or steps while stopped.
    void AnnounceRunChange();

    // What the live region was last told, as the page's library numbers it.
    enum class Run : std::uint8_t { Forward, Backward, Stopped };

    InputDispatcher input_;
    const PlaybackState& playback_;
    Run announcedRun_ = Run::Forward;  // the loop starts running forward, which goes unsaid
    int announcedPosition_ = 0;
    bool loopRunning_ = false;  // until then the picture is the start sequence's frame 1
    // The canvas's pixels: 8-bit red, green, blue and alpha bytes, in wasm's little-endian word.
    const PixelFormat canvasFormat_;
    std::array<std::uint32_t, static_cast<std::size_t>(kClientWidth) * kClientHeight> rgba_{};
    double lastYield_ = 0;  // ms on the page's clock
    bool pictureWaiting_ = false;  // shown on the canvas, not yet given a turn to reach the screen

    // A fixed ring, so that queuing allocates nothing. When full, a move replaces a move that is
    // the newest queued event; any other event is dropped.
    static constexpr std::size_t kQueueSize = 512;
    std::array<InputEvent, kQueueSize> queue_{};
    std::size_t queueHead_ = 0;
    std::size_t queued_ = 0;
};
