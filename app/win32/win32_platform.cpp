// Windows platform layer: owns the Win32 window and turns its messages into neutral input events.
#include "app/win32/win32_platform.h"

#include <windowsx.h>

#include <cstdint>

#include "app/ending.h"
#include "app/win32/resource_ids.h"
#include "frames/enlarge.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

// A fixed dialog frame: caption and close box, no minimise or maximise box, no sizing border.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME;

// Windows 10's per-monitor DPI calls, looked up at run time: Windows 7 and 8 lack them.
template <typename Function>
Function User32Function(const char* name) {
    // Through void*: GetProcAddress's FARPROC is no function type of its own.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}
const auto kGetDpiForWindow = User32Function<decltype(&GetDpiForWindow)>("GetDpiForWindow");
const auto kAdjustWindowRectExForDpi = User32Function<decltype(&AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");

UINT WindowDpi(HWND hwnd) {
    if (kGetDpiForWindow != nullptr) return kGetDpiForWindow(hwnd);
    HDC screen = GetDC(nullptr);  // before Windows 10: the system's DPI
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

}  // namespace

bool Win32Platform::Open(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // No CS_DBLCLKS: every press arrives as WM_LBUTTONDOWN, and double-clicks are recognised with the
    // other platforms' rules.
    windowClass.lpfnWndProc = &Win32Platform::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(TRENOXVK_ICON));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kWindowClassName;
    if (RegisterClassExA(&windowClass) == 0) return false;

    opened_ = this;
    // Created hidden at 100 %, then sized for the DPI of the monitor it is on.
    // kCaption views a literal: NUL-terminated.
    hwnd_ = CreateWindowExA(kWindowExStyle, kWindowClassName, kCaption.data(), kWindowStyle, 0, 0, kClientWidth,
                            kClientHeight, nullptr, nullptr, instance, nullptr);
    if (hwnd_ == nullptr) return false;
    FitToDpi(WindowDpi(hwnd_), nullptr);

    dib_.header.biSize = sizeof dib_.header;
    dib_.header.biPlanes = 1;
    dib_.header.biBitCount = kBitsPerPixel;
    dib_.header.biCompression = BI_RGB;  // decoded by our own RLE8 decoder, never by GDI
    dib_.header.biWidth = kClientWidth;
    dib_.header.biHeight = -kClientHeight;  // negative: rows run top down, as the decoder writes them
    dib_.header.biClrUsed = dib_.colours.size();
    return true;
}

void Win32Platform::FitToDpi(UINT dpi, const RECT* suggested) {
    // The picture is enlarged by the largest whole factor the DPI allows (2 from 192 DPI, 200 %),
    // each of its pixels a block of one colour: never smoothed, never a quarter of its size.
    scale_ = WholeFactor(static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI);
    RECT frame{0, 0, kClientWidth * scale_, kClientHeight * scale_};
    if (kAdjustWindowRectExForDpi != nullptr)
        kAdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi);
    else
        AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int left = 0;
    int top = 0;
    if (suggested != nullptr) {
        left = suggested->left;
        top = suggested->top;
    } else {
        RECT workArea{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        left = workArea.left + (workArea.right - workArea.left - width) / 2;
        top = workArea.top + (workArea.bottom - workArea.top - height) / 2;
    }
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Platform::PicturePixel(int windowPixel) const {
    return windowPixel >= 0 ? windowPixel / scale_ : (windowPixel - scale_ + 1) / scale_;
}

void Win32Platform::ShowWindow() {
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void Win32Platform::WaitForEvents() {
    MSG message;
    // 0: WM_QUIT; -1: GetMessage itself failed, and no message will come.
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) End(EndReason::WindowClosed);
    Deliver(message);
    ProcessPendingEvents();
}

void Win32Platform::ProcessPendingEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) Deliver(message);
}

void Win32Platform::Deliver(const MSG& message) {
    if (message.message == WM_QUIT) End(EndReason::WindowClosed);
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void Win32Platform::End(EndReason reason) { EndProcess(reason); }

void Win32Platform::ShowPicture(const Picture& picture) {
    // The one 8-bit DIB takes the picture's indices; its colour table, the picture's colours.
    dibFormat_.Convert(picture.palette, dib_.colours);
    IndexSink sink{dibPixels_.data(), kDibStride, {kClientWidth, kClientHeight}};
    DrawPicture(picture, sink);
    showing_ = true;
    if (HDC dc = GetDC(hwnd_); dc != nullptr) {
        Draw(dc);
        ReleaseDC(hwnd_, dc);
    }
    // On screen now, not after the pacing delay: Wine hands a window's drawing to the X server only
    // when its thread waits for messages or finds none, and a wait of no time is enough for that.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

void Win32Platform::Draw(HDC dc) const {
    if (!showing_) return;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&dib_);
    if (scale_ == 1) {
        SetDIBitsToDevice(dc, 0, 0, kClientWidth, kClientHeight, 0, 0, 0, kClientHeight, dibPixels_.data(), info,
                          DIB_RGB_COLORS);
        return;
    }
    // COLORONCOLOR repeats pixels and blends none: at a whole factor, blocks of one colour.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, kClientWidth * scale_, kClientHeight * scale_, 0, 0, kClientWidth, kClientHeight,
                  dibPixels_.data(), info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK Win32Platform::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Messages sent while CreateWindowEx runs come before hwnd_ is known; Windows handles those.
    if (opened_ == nullptr || opened_->hwnd_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    return opened_->Handle(message, wParam, lParam);
}

LRESULT Win32Platform::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // The handlers see picture pixels, so that pace and clicks act alike at every scale.
    const int x = PicturePixel(GET_X_LPARAM(lParam));
    const int y = PicturePixel(GET_Y_LPARAM(lParam));
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) break;
            // Default handling gives the window the keyboard focus before the loop takes over.
            DefWindowProcA(hwnd_, message, wParam, lParam);
            input_.Dispatch(InputEvent::Activated());
            return 0;
        case WM_CLOSE:
        case WM_DESTROY: input_.Dispatch(InputEvent::CloseRequested()); return 0;
        case WM_ERASEBKGND:
            if (showing_) return 1;  // the picture covers the whole client area
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd_, &paint);
            Draw(dc);
            EndPaint(hwnd_, &paint);
            return 0;
        }
        case WM_DPICHANGED:
            // Moved to a monitor of another DPI: the new factor there (both halves carry the same DPI);
            // Windows passes its suggested rectangle's address in lParam.
            FitToDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));  // NOLINT(performance-no-int-to-ptr)
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        // A UTF-16 unit: a character outside the BMP comes as two surrogate halves, which no handler takes.
        case WM_CHAR: input_.Dispatch(InputEvent::Typed(static_cast<char32_t>(wParam))); return 0;
        case WM_MOUSEMOVE: input_.Dispatch(InputEvent::Moved(x, y)); return 0;
        case WM_LBUTTONDOWN:
            // Capture keeps moves coming while the button is held outside the window.
            SetCapture(hwnd_);
            input_.Dispatch(InputEvent::Pressed(x, y, static_cast<EventTime>(GetMessageTime())));
            return 0;
        case WM_LBUTTONUP:
            input_.Dispatch(InputEvent::Released(x, y, static_cast<EventTime>(GetMessageTime())));
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            // Capture taken away while the button is down: that press ends nowhere on the picture.
            input_.Dispatch(InputEvent::Released(-1, -1, static_cast<EventTime>(GetMessageTime())));
            return 0;
        default: break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}
