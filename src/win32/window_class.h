// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace orvane2::win32 {

// What the program's own window classes share.

// Registers the class of a top-level window: the arrow cursor, the face of buttons
// behind its controls, the icons given. True also when it was registered before.
inline bool RegisterTopLevelClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon,
                                  HICON smallIcon)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The object a window procedure serves, given to CreateWindowExW as its last argument:
// kept with the window at its first message (WM_NCCREATE), read back at every message.
// Null for the few messages a window may get before that one.
template <typename Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace orvane2::win32
