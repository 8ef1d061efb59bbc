// SPDX-License-Identifier: MIT
#include "win32/dpi_fonts.h"

#include "core/board.h"

namespace orvane2::win32 {

namespace {

// DPI functions of newer Windows versions, looked up at run time so that the program
// still starts where they are missing (there the system DPI applies).
template <typename Function>
Function User32Function(const char* name)
{
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

}  // namespace

UINT SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND window)
{
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    return SystemDpi();
}

int PixelsAt(int twips, UINT dpi)
{
    return layout::ToPixels(twips, static_cast<int>(dpi));
}

RECT OuterRectOfClient(int clientWidth, int clientHeight, DWORD style, UINT dpi)
{
    RECT rect{0, 0, clientWidth, clientHeight};
    static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr)
        adjustForDpi(&rect, style, FALSE, 0, dpi);
    else
        AdjustWindowRectEx(&rect, style, FALSE, 0);
    return rect;
}

RECT OuterRectAt(int clientWidthTwips, int clientHeightTwips, DWORD style, UINT dpi)
{
    return OuterRectOfClient(PixelsAt(clientWidthTwips, dpi), PixelsAt(clientHeightTwips, dpi), style, dpi);
}

void MoveToSuggestedRect(HWND window, LPARAM suggested)
{
    const RECT* rect = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int MetricAt(int index, UINT dpi)
{
    static const auto metricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return metricsForDpi != nullptr ? metricsForDpi(index, dpi) : GetSystemMetrics(index);
}

UniqueGdiObject<HFONT> MessageFontAt(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    const BOOL found = forDpi != nullptr ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)
                                         : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    UniqueGdiObject<HFONT> font(found ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr);
    if (!font)
        font.reset(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    return font;
}

}  // namespace orvane2::win32
