// Windows platform layer: the main window as a Win32 window, its messages as neutral input events.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // keeps min and max out of the way of <algorithm>
#endif
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <tuple>

#include "app/trenox_vk.h"
#include "app/window_layout.h"
#include "frames/pixel_format.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

class Win32Platform final : public Platform {
public:
    // Double-clicks follow the user's own setting, as in every other Windows program.
    explicit Win32Platform(Trenox_VK& window)
        : input_(window.playback, *this, static_cast<EventTime>(GetDoubleClickTime())) {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
    ~Win32Platform() = default;

    // Creates the hidden, centred window; returns false if Windows refuses it.
    bool Open(HINSTANCE instance);

    const InputDispatcher& Input() const { return input_; }

    // Shows the window and asks for the foreground: its activation arrives as WM_ACTIVATE.
    void ShowWindow() override;
    void WaitForEvents() override;
    void ProcessPendingEvents() override;
    void ShowPicture(const Picture& picture) override;
    [[noreturn]] void End(EndReason reason) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Translates and dispatches one message; WM_QUIT ends the program.
    void Deliver(const MSG& message);
    void Draw(HDC dc) const;
    // Sizes the window for the monitor's DPI: centred on the work area, or at `suggested`'s corner
    // when Windows moves it to a monitor of another DPI.
    void FitToDpi(UINT dpi, const RECT* suggested);
    // A window pixel's coordinate as a picture pixel's (floor, so that -1 stays outside).
    int PicturePixel(int windowPixel) const;

    // An 8-bit DIB of the client area, as SetDIBitsToDevice takes it: its header, then its colour
    // table, whose 0x00RRGGBB entries lie in memory as RGBQUADs do (blue, green, red, 0).
    static constexpr WORD kBitsPerPixel = 8;
    using DibColours = std::array<std::uint32_t, std::tuple_size_v<Palette>>;
    struct PaletteDib {
        BITMAPINFOHEADER header;
        DibColours colours;
    };
    static_assert(sizeof(RGBQUAD) == sizeof(DibColours::value_type) &&
                  offsetof(PaletteDib, colours) == offsetof(BITMAPINFO, bmiColors));
    // A DIB's rows are padded to whole DWORDs.
    static constexpr int kDibStride = (kClientWidth + 3) / 4 * 4;

    static inline Win32Platform* opened_ = nullptr;  // the program's one window, for WindowProc

    InputDispatcher input_;
    HWND hwnd_ = nullptr;
    bool showing_ = false;  // Picture1 shows nothing until frame 1
    int scale_ = 1;         // each picture pixel shows as a scale_ x scale_ block of window pixels
    const PixelFormat dibFormat_{};  // an RGBQUAD's 0x00RRGGBB
    PaletteDib dib_{};
    // The picture shown, decoded.
    std::array<std::uint8_t, static_cast<std::size_t>(kDibStride) * kClientHeight> dibPixels_{};
};
