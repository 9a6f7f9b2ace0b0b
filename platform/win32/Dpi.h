// The DPI a window is shown at, and the design's pixel sizes scaled to it.
// VemoShow.exe is per-monitor DPI aware (its manifest): lengths the design
// gives in pixels are meant at 96 DPI (100 %) and grow with the monitor's
// scaling; dialog templates, in dialog units, scale by themselves.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace wl {

inline constexpr UINT kDesignDpi = 96;

// GetDpiForWindow (Windows 10 1607 and later), else the system's DPI.
inline UINT DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

// A length in pixels at 96 DPI, at the given DPI.
inline int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

// An image list of square images from a bitmap resource holding a strip of
// 16 x 16 images, with black as the transparent colour; at more than 96 DPI
// the images are enlarged to match (pixels doubled rather than blurred).
// Answers nullptr when the bitmap cannot be loaded.
inline HIMAGELIST ImageListFromStrip(HINSTANCE instance, int bitmapId, UINT dpi) {
    constexpr int kDesign = 16;
    const int size = Scaled(kDesign, dpi);
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip) return nullptr;
    BITMAP info = {};
    GetObjectA(strip, sizeof info, &info);
    const int count = info.bmWidth / kDesign;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 1);
    if (list && size != kDesign && count > 0) {
        HDC screen = GetDC(nullptr);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        HBITMAP large = CreateCompatibleBitmap(screen, size * count, size);
        HGDIOBJ oldFrom = SelectObject(from, strip);
        HGDIOBJ oldTo = SelectObject(to, large);
        SetStretchBltMode(to, COLORONCOLOR);
        StretchBlt(to, 0, 0, size * count, size, from, 0, 0, kDesign * count, kDesign, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        ImageList_AddMasked(list, large, RGB(0, 0, 0));
        DeleteObject(large);
    } else if (list) {
        ImageList_AddMasked(list, strip, RGB(0, 0, 0));
    }
    DeleteObject(strip);
    return list;
}

}  // namespace wl
