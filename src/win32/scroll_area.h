// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace orvane2::win32 {

// Where the boxes and labels of a board taller than the screen lie: a child window at
// the top of the client area with a vertical scroll bar (the viewport), holding a child
// window as tall as the whole board (the content, parent of the boxes and labels), which
// the bar and the mouse wheel move up and down. The content passes its controls' colour
// requests and notifications on to the top-level window, which answers them as for its
// own controls.
class ScrollArea {
public:
    ScrollArea(HWND window, HINSTANCE instance);
    ~ScrollArea();
    ScrollArea(const ScrollArea&) = delete;
    ScrollArea& operator=(const ScrollArea&) = delete;

    bool Created() const { return content_ != nullptr; }
    HWND Viewport() const { return viewport_; }
    HWND Content() const { return content_; }
    // The viewport at the top left of the window's client area, width (its bar included)
    // by height pixels, over content contentHeight pixels tall; an arrow of the bar or a
    // notch of the wheel scrolls by lines of lineHeight pixels.
    void Place(int width, int height, int contentHeight, int lineHeight);

private:
    static LRESULT CALLBACK ViewportProc(HWND viewport, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ContentProc(HWND content, UINT message, WPARAM wParam, LPARAM lParam);
    // Scrolls so that the content's row at position (pixels) shows at the viewport's top,
    // kept within the content.
    void ScrollTo(int position);
    void Scroll(WORD request);
    void Wheel(int delta);

    HWND viewport_ = nullptr;
    HWND content_ = nullptr;
    int lineHeight_ = 1;
};

}  // namespace orvane2::win32
