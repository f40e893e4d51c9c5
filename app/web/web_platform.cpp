// Browser platform layer: the page (page.js, through web_library.js) reports input, which is
// queued for the dispatcher; pictures go to its canvas.
#include "app/web/web_platform.h"

#include <emscripten/emscripten.h>

#include <string_view>

#include "frames/enlarge.h"
#include "frames/frame_set.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

// The page's side, in web_library.js.
extern "C" {
void trenox_open_page(const char* caption, int width, int height, WebPlatform* platform);
void trenox_show_window();
void trenox_give_turn();
void trenox_wait_for_report();
void trenox_wait_forever();
void trenox_put_picture(const std::uint32_t* rgba, int width, int height);
void trenox_show_ended(const char* message);
void trenox_announce_run(int run, int frame, int frameCount);
}

namespace {

// The longest the idle count keeps the page to itself: about one display frame, so the page
// repaints and answers scripts in between.
constexpr double kLongestTurnMs = 16;

constexpr std::string_view kEndedMessage = "TrenoxVK has ended. Reload the page to run it again.";

// The page's milliseconds, truncated to the wrapping count every platform gives.
EventTime PageTime(double ms) { return static_cast<EventTime>(static_cast<std::uint64_t>(ms)); }

}  // namespace

// What the page calls: its reports, and the rule for a sharp enlargement.
extern "C" {
EMSCRIPTEN_KEEPALIVE void trenox_typed(WebPlatform* platform, char32_t character) {
    platform->Queue(InputEvent::Typed(character));
}
EMSCRIPTEN_KEEPALIVE void trenox_moved(WebPlatform* platform, int x, int y) { platform->Queue(InputEvent::Moved(x, y)); }
EMSCRIPTEN_KEEPALIVE void trenox_pressed(WebPlatform* platform, int x, int y, double time) {
    platform->Queue(InputEvent::Pressed(x, y, PageTime(time)));
}
EMSCRIPTEN_KEEPALIVE void trenox_released(WebPlatform* platform, int x, int y, double time) {
    platform->Queue(InputEvent::Released(x, y, PageTime(time)));
}
EMSCRIPTEN_KEEPALIVE void trenox_activated(WebPlatform* platform) { platform->Queue(InputEvent::Activated()); }
EMSCRIPTEN_KEEPALIVE int trenox_whole_factor(double devicePixelsPerPixel) { return WholeFactor(devicePixelsPerPixel); }
}

WebPlatform::WebPlatform(Trenox_VK& window)
    : input_(window.playback, *this),
      playback_(window.playback),
      canvasFormat_(PixelFormat::TrueColour({0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000})) {}

void WebPlatform::Open() { trenox_open_page(kCaption.data(), kClientWidth, kClientHeight, this); }

void WebPlatform::ShowWindow() { trenox_show_window(); }

void WebPlatform::WaitForEvents() {
    while (queued_ == 0) trenox_wait_for_report();
    ProcessPendingEvents();
}

void WebPlatform::ShowPicture(const Picture& picture) {
    ColourTable<std::uint32_t> colours{};
    canvasFormat_.Convert(picture.palette, colours);
    ColourSink sink{rgba_.data(), kClientWidth, {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
    trenox_put_picture(rgba_.data(), kClientWidth, kClientHeight);
    pictureWaiting_ = true;
    AnnounceRunChange();
}

void WebPlatform::AnnounceRunChange() {
    if (!loopRunning_ && playback_.request == kRequestHold) return;
    loopRunning_ = true;
    const Run run = playback_.runningBackward == 1         ? Run::Backward
                    : playback_.request != kRequestHold ? Run::Forward
                                                         : Run::Stopped;
    // A run says nothing more until it changes; a stop says each frame it steps to.
    if (run == announcedRun_ && (run != Run::Stopped || playback_.position == announcedPosition_)) return;
    announcedRun_ = run;
    announcedPosition_ = playback_.position;
    trenox_announce_run(static_cast<int>(run), playback_.position + 1, kFrameCount);
}

void WebPlatform::ProcessPendingEvents() {
    Yield();
    while (queued_ > 0) {
        const InputEvent event = queue_[queueHead_];
        queueHead_ = (queueHead_ + 1) % kQueueSize;
        --queued_;
        input_.Dispatch(event);
    }
}

void WebPlatform::Breathe() {
    // A picture reaches the screen only in the browser's turn: the first breath after it gives one.
    if (pictureWaiting_ || emscripten_get_now() - lastYield_ >= kLongestTurnMs) Yield();
}

void WebPlatform::End(EndReason /*reason*/) {
    trenox_show_ended(kEndedMessage.data());
    // Not exit(): thrown from inside a resumed wait, its ExitStatus would reach the page uncaught.
    for (;;) trenox_wait_forever();
}

void WebPlatform::Yield() {
    trenox_give_turn();
    lastYield_ = emscripten_get_now();
    pictureWaiting_ = false;
}

void WebPlatform::Queue(const InputEvent& event) {
    if (queued_ == kQueueSize) {
        InputEvent& newest = queue_[(queueHead_ + queued_ - 1) % kQueueSize];
        if (event.kind == InputEvent::Kind::PointerMove && newest.kind == InputEvent::Kind::PointerMove) newest = event;
        return;
    }
    queue_[(queueHead_ + queued_) % kQueueSize] = event;
    ++queued_;
}
