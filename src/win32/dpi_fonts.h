// SPDX-License-Identifier: MIT
#pragma once

#include "win32/unique_handle.h"

#include <windows.h>

namespace orvane2::win32 {

// The window's measures at a given DPI. Where the system lacks the functions for a DPI
// of a window's own (before Windows 10), the system DPI applies.

// The system's DPI; 96 when the screen tells none.
UINT SystemDpi();
// The DPI of the monitor the window is on, else the system's.
UINT WindowDpi(HWND window);
// A length in twips as pixels at dpi.
int PixelsAt(int twips, UINT dpi);
// The outer rectangle, from (0, 0), of a window of that style whose client area is
// clientWidth x clientHeight pixels, at dpi.
RECT OuterRectOfClient(int clientWidth, int clientHeight, DWORD style, UINT dpi);
// The same for a client area of clientWidthTwips x clientHeightTwips.
RECT OuterRectAt(int clientWidthTwips, int clientHeightTwips, DWORD style, UINT dpi);
// Moves and sizes window to the rectangle that WM_DPICHANGED suggests (its lParam).
void MoveToSuggestedRect(HWND window, LPARAM suggested);
// A system metric (SM_CYMENU...) at dpi.
int MetricAt(int index, UINT dpi);
// The font the user chose for messages, at dpi; the stock GUI font when the system
// gives none (deleting that one is harmless).
UniqueGdiObject<HFONT> MessageFontAt(UINT dpi);

}  // namespace orvane2::win32
