// Browser platform layer: owns the page's canvas and turns DOM events into neutral input events.
#include "app/web/web_platform.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <string_view>

#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

// The longest the idle count keeps the page to itself: about one display frame, so the page
// repaints and answers scripts in between.
constexpr double kLongestTurnMs = 16;

constexpr const char* kCanvas = "#canvas";
constexpr std::string_view kEndedMessage = "TrenoxVK has ended. Reload the page to run it again.";

// DOM PointerEvent.button: the button that changed (none for a plain move), and the bits of
// PointerEvent.buttons. A finger on the screen is the left button.
constexpr int kDomNoButton = -1;
constexpr int kDomLeftButton = 0;
constexpr int kDomMiddleButton = 1;
constexpr int kDomLeftBit = 1;
constexpr int kDomRightBit = 2;
constexpr int kDomMiddleBit = 4;

}  // namespace

// The page's side of the layer. These bodies are C strings to the compiler: no backslashes.
// clang-format off
EM_JS(void, OpenPage, (const char* caption, int width, int height, WebPlatform* self,
                          WebPlatform::PointerHandler onPointer, WebPlatform::TapHandler onTap), {
    const title = UTF8ToString(caption);
    document.title = title;
    document.getElementById('caption').textContent = title;
    const canvas = document.getElementById('canvas');
    // One canvas pixel per CSS pixel; the page scales the window as a whole where it must.
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    document.getElementById('caption').style.width = width + 'px';
    canvas.addEventListener('contextmenu', (event) => event.preventDefault());
    // Pointer events for the mouse, a pen and a finger, on the document, so that a release and,
    // while a button is held, moves outside the canvas count too; positions in canvas pixels,
    // whatever the scale the page shows the canvas at. A second finger is not a pointer.
    const listening = new AbortController();
    const options = {signal: listening.signal};
    const pixel = (event) => {
        const box = canvas.getBoundingClientRect();
        return [Math.floor((event.clientX - box.left) * width / box.width),
                Math.floor((event.clientY - box.top) * height / box.height)];
    };
    // A finger only moves the pointer, as a mouse without a button held; the browser's tap is its click.
    let fingerDown = false;
    const report = (event) => {
        if (!event.isPrimary) return;
        const finger = event.pointerType === 'touch';
        if (event.type === 'pointerdown') fingerDown = finger;
        if (finger && event.type !== 'pointermove') return;
        const [x, y] = pixel(event);
        getWasmTableEntry(onPointer)(self, x, y, finger ? -1 : event.button, finger ? 0 : event.buttons,
                                     event.shiftKey, event.ctrlKey, event.altKey, event.timeStamp);
    };
    for (const type of ['pointermove', 'pointerdown', 'pointerup']) document.addEventListener(type, report, options);
    document.addEventListener('click', (event) => {
        if (!fingerDown) return;
        const [x, y] = pixel(event);
        getWasmTableEntry(onTap)(self, x, y, event.timeStamp);
    }, options);
    // A message to ourselves is the quickest way to give the browser its turn and get ours back.
    const channel = new MessageChannel();
    channel.port1.onmessage = () => Module.trenoxResume();
    Module.trenox = {canvas, context: canvas.getContext('2d', {alpha: false}), channel, listening, image: null};
});

EM_ASYNC_JS(void, YieldToBrowser, (), {
    await new Promise((resolve) => {
        Module.trenoxResume = resolve;
        Module.trenox.channel.port2.postMessage(null);
    });
});

// The program's end: a wait that nothing ever ends, so the loop never resumes.
EM_ASYNC_JS(void, WaitForever, (), {
    await new Promise(() => {});
});

EM_ASYNC_JS(void, WaitUntilPageActive, (), {
    const canvas = Module.trenox.canvas;
    const active = () => document.readyState === 'complete' && document.activeElement === canvas;
    while (!active()) {
        await new Promise((resolve) => {
            canvas.addEventListener('focus', resolve, {once: true});
            window.addEventListener('load', resolve, {once: true});
        });
    }
});

// One ImageData over the program's own memory: each frame goes to the canvas without a copy of ours.
EM_JS(void, PutPixels, (const std::uint32_t* rgba, int width, int height), {
    const page = Module.trenox;
    if (page.image === null) page.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    page.context.putImageData(page.image, 0, 0);
});

EM_JS(void, ShowEnded, (const char* message, int width, int height), {
    Module.trenox.listening.abort();
    const context = Module.trenox.context;
    context.fillStyle = 'rgba(0, 0, 0, 0.6)';
    context.fillRect(0, 0, width, height);
    context.fillStyle = '#ffffff';
    context.font = '18px sans-serif';
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    context.fillText(UTF8ToString(message), width / 2, height / 2);
});
// clang-format on

namespace {

// The typed character of a key, or the key code the picture area takes for it; 0 for other keys.
std::int16_t KeyCodeOf(const EmscriptenKeyboardEvent& event) {
    const std::string_view key = event.key;
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) < 0x80) return static_cast<std::int16_t>(key[0]);
    if (key == "Escape") return kKeyEscape;
    if (key == "Enter") return kKeyEnter;
    if (key == "Backspace") return kKeyBackspace;
    return 0;
}

std::int16_t ButtonsOf(int buttons) {
    return static_cast<std::int16_t>(((buttons & kDomLeftBit) != 0 ? kLeftButton : 0) |
                                     ((buttons & kDomRightBit) != 0 ? kRightButton : 0) |
                                     ((buttons & kDomMiddleBit) != 0 ? kMiddleButton : 0));
}

// The page's milliseconds, truncated to the wrapping count every platform gives.
EventTime PageTime(double ms) { return static_cast<EventTime>(static_cast<std::uint64_t>(ms)); }

int DomBitOf(int button) {
    if (button == kDomLeftButton) return kDomLeftBit;
    return button == kDomMiddleButton ? kDomMiddleBit : kDomRightBit;
}

}  // namespace

void WebPlatform::Open() {
    OpenPage(kCaption.data(), kClientWidth, kClientHeight, this, &WebPlatform::OnPointer, &WebPlatform::OnTap);
    emscripten_set_keydown_callback(kCanvas, this, EM_TRUE, &WebPlatform::OnKeyDown);
}

void WebPlatform::Run() {
    WaitUntilPageActive();
    ProcessPendingEvents();
    window_.Play(*this);
}

void WebPlatform::ShowPicture(const Picture& picture) {
    // 0x00RRGGBB to the bytes red, green, blue, opaque alpha, in wasm's little-endian order.
    Palette colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t rgb = picture.palette[i];
        colours[i] = 0xFF000000U | (rgb & 0xFFU) << 16 | (rgb & 0xFF00U) | (rgb >> 16 & 0xFFU);
    }
    ColourSink sink{rgba_.data(), kClientWidth, {kClientWidth, kClientHeight}, colours};
    DrawPicture(picture, sink);
    PutPixels(rgba_.data(), kClientWidth, kClientHeight);
    pictureWaiting_ = true;
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

void WebPlatform::Quit() {
    emscripten_html5_remove_all_event_listeners();
    ShowEnded(kEndedMessage.data(), kClientWidth, kClientHeight);
    // Not exit(): thrown from inside a resumed wait, its ExitStatus would reach the page uncaught.
    for (;;) WaitForever();
}

void WebPlatform::Yield() {
    YieldToBrowser();
    lastYield_ = emscripten_get_now();
    pictureWaiting_ = false;
}

void WebPlatform::Enqueue(const InputEvent& event) {
    if (queued_ == kQueueSize) {
        InputEvent& newest = queue_[(queueHead_ + queued_ - 1) % kQueueSize];
        if (event.kind == InputEvent::Kind::PointerMove && newest.kind == InputEvent::Kind::PointerMove) newest = event;
        return;
    }
    queue_[(queueHead_ + queued_) % kQueueSize] = event;
    ++queued_;
}

int WebPlatform::OnKeyDown(int /*eventType*/, const EmscriptenKeyboardEvent* event, void* self) {
    // Browser shortcuts stay the browser's; Ctrl with Alt is AltGr on Windows, which types characters.
    if (event->metaKey != 0 || (event->ctrlKey != 0 && event->altKey == 0)) return EM_FALSE;
    const std::int16_t code = KeyCodeOf(*event);
    if (code == 0) return EM_FALSE;  // Tab and the like keep their meaning in the page
    static_cast<WebPlatform*>(self)->Enqueue(InputEvent::Typed(code));
    return EM_TRUE;  // no scrolling on space, no quick find on '/'
}

void WebPlatform::OnPointer(WebPlatform* self, int x, int y, int button, int buttons, bool shift, bool ctrl, bool alt,
                            double time) {
    if (button == kDomNoButton) {
        if (!OverPicture(x, y) && !self->buttonHeldFromPicture_) return;
        const auto modifiers = static_cast<std::int16_t>((shift ? kShiftDown : 0) | (ctrl ? kCtrlDown : 0) |
                                                         (alt ? kAltDown : 0));
        self->Enqueue(InputEvent::Moved(x, y, ButtonsOf(buttons), modifiers));
        return;
    }
    // A button pressed while another is held comes as a move with the button that changed.
    const bool pressed = (buttons & DomBitOf(button)) != 0;
    if (pressed && OverPicture(x, y)) self->buttonHeldFromPicture_ = true;
    if (buttons == 0) self->buttonHeldFromPicture_ = false;
    const EventTime at = PageTime(time);
    if (button == kDomLeftButton) self->Enqueue(pressed ? InputEvent::Pressed(x, y, at) : InputEvent::Released(x, y, at));
}

void WebPlatform::OnTap(WebPlatform* self, int x, int y, double time) {
    const EventTime at = PageTime(time);
    self->Enqueue(InputEvent::Pressed(x, y, at));
    self->Enqueue(InputEvent::Released(x, y, at));
}
