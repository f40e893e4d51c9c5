// Windows platform layer: owns the Win32 window and turns its messages into Picture1 handler calls.
#include "app/win32/win32_platform.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/win32/resource_ids.h"
#include "frames/pixel_sinks.h"
#include "frames/rle8_decoder.h"

namespace {

constexpr const char* kWindowClass = "Trenox_VK";

// A fixed dialog frame: caption and close box, no minimise or maximise box, no sizing border.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME;

// GetKeyState's high bit: the key is down now.
constexpr SHORT kKeyDownBit = static_cast<SHORT>(0x8000);

// Buttons and modifier keys as the move handler counts them.
std::int16_t ButtonsOf(WPARAM keys) {
    return static_cast<std::int16_t>(((keys & MK_LBUTTON) != 0 ? kLeftButton : 0) |
                                     ((keys & MK_RBUTTON) != 0 ? kRightButton : 0) |
                                     ((keys & MK_MBUTTON) != 0 ? kMiddleButton : 0));
}

std::int16_t ModifiersOf(WPARAM keys) {
    const bool altDown = (GetKeyState(VK_MENU) & kKeyDownBit) != 0;
    return static_cast<std::int16_t>(((keys & MK_SHIFT) != 0 ? kShiftDown : 0) |
                                     ((keys & MK_CONTROL) != 0 ? kCtrlDown : 0) | (altDown ? kAltDown : 0));
}

// The picture is enlarged by the largest whole factor the DPI allows (2 from 192 DPI, 200 %), each
// of its pixels a block of one colour: never smoothed, never a quarter of its size.
int ScaleFor(UINT dpi) { return std::max(1, static_cast<int>(dpi / USER_DEFAULT_SCREEN_DPI)); }

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
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExA(&windowClass) == 0) return false;

    opened_ = this;
    // Created hidden at 100 %, then sized for the DPI of the monitor it is on.
    hwnd_ = CreateWindowExA(kWindowExStyle, kWindowClass, kCaption.data(), kWindowStyle, 0, 0, kClientWidth,
                            kClientHeight, nullptr, nullptr, instance, nullptr);
    if (hwnd_ == nullptr) return false;
    FitToDpi(WindowDpi(hwnd_), nullptr);

    dib_.header.biSize = sizeof dib_.header;
    dib_.header.biPlanes = 1;
    dib_.header.biBitCount = kBitsPerPixel;
    dib_.header.biCompression = BI_RGB;  // decoded by our own RLE8 decoder, never by GDI
    dib_.header.biWidth = kFrameWidth;
    dib_.header.biHeight = -kFrameHeight;  // negative: rows run top down, as the decoder writes them
    dib_.header.biClrUsed = std::size(dib_.colours);
    return true;
}

void Win32Platform::FitToDpi(UINT dpi, const RECT* suggested) {
    scale_ = ScaleFor(dpi);
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

void Win32Platform::Run() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    MSG message;
    while (!active_) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) Quit();
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    window_.Play(*this);
}

void Win32Platform::ShowPicture(const Picture& picture) {
    // The one 8-bit DIB takes the picture's indices; its colour table, the picture's colours.
    // 0x00RRGGBB in memory is blue, green, red, 0: exactly an RGBQUAD.
    static_assert(sizeof dib_.colours == sizeof picture.palette);
    std::memcpy(dib_.colours, picture.palette.data(), sizeof dib_.colours);
    IndexSink sink{dibPixels_.data(), kFrameWidth, {kFrameWidth, kFrameHeight}};
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
        SetDIBitsToDevice(dc, 0, 0, kFrameWidth, kFrameHeight, 0, 0, 0, kFrameHeight, dibPixels_.data(), info,
                          DIB_RGB_COLORS);
        return;
    }
    // COLORONCOLOR repeats pixels and blends none: at a whole factor, blocks of one colour.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, kFrameWidth * scale_, kFrameHeight * scale_, 0, 0, kFrameWidth, kFrameHeight,
                  dibPixels_.data(), info, DIB_RGB_COLORS, SRCCOPY);
}

void Win32Platform::ProcessPendingEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) Quit();
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Win32Platform::Quit() { ExitProcess(EXIT_SUCCESS); }

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
            active_ = true;
            return 0;
        case WM_CLOSE:
        case WM_DESTROY: Quit();
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
        case WM_CHAR: input_.Dispatch(InputEvent::Typed(static_cast<std::int16_t>(wParam))); return 0;
        case WM_MOUSEMOVE: input_.Dispatch(InputEvent::Moved(x, y, ButtonsOf(wParam), ModifiersOf(wParam))); return 0;
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
