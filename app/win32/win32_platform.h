// Windows platform layer: the main window as a Win32 window, its messages as Picture1 handler calls.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // keeps min and max out of the way of <algorithm>
#endif
#include <windows.h>

#include <array>
#include <cstdint>
#include <tuple>

#include "app/trenox_vk.h"
#include "input/input_dispatcher.h"
#include "playback/platform.h"

class Win32Platform final : public Platform {
public:
    // Double-clicks follow the user's own setting, as in every other Windows program.
    explicit Win32Platform(Trenox_VK& window)
        : window_(window), input_(window.playback, *this, static_cast<EventTime>(GetDoubleClickTime())) {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
    ~Win32Platform() = default;

    // Creates the hidden, centred window; returns false if Windows refuses it.
    bool Open(HINSTANCE instance);
    // Shows the window, processes its messages until it first becomes active, then runs the playback loop.
    [[noreturn]] void Run();

    void ShowPicture(const Picture& picture) override;
    void ProcessPendingEvents() override;
    [[noreturn]] void Quit() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Draw(HDC dc) const;
    // Sizes the window for the monitor's DPI: centred on the work area, or at `suggested`'s corner
    // when Windows moves it to a monitor of another DPI.
    void FitToDpi(UINT dpi, const RECT* suggested);
    // A window pixel's coordinate as a picture pixel's (floor, so that -1 stays outside).
    int PicturePixel(int windowPixel) const;

    // An 8-bit DIB header with its colour table, as SetDIBitsToDevice takes it.
    static constexpr WORD kBitsPerPixel = 8;
    struct PaletteDib {
        BITMAPINFOHEADER header;
        RGBQUAD colours[std::tuple_size_v<Palette>];
    };

    static inline Win32Platform* opened_ = nullptr;  // the program's one window, for WindowProc

    Trenox_VK& window_;
    InputDispatcher input_;
    HWND hwnd_ = nullptr;
    bool showing_ = false;  // Picture1 shows nothing until frame 1
    bool active_ = false;   // the window has been activated
    int scale_ = 1;         // each picture pixel shows as a scale_ x scale_ block of window pixels
    PaletteDib dib_{};
    // The picture shown, decoded; 800 bytes a row keeps the rows DWORD-aligned, as a DIB wants.
    std::array<std::uint8_t, static_cast<std::size_t>(kFrameWidth) * kFrameHeight> dibPixels_{};
};
