// SPDX-License-Identifier: MIT
#include "win32/scroll_area.h"

#include "win32/window_class.h"

namespace orvane2::win32 {

namespace {

constexpr wchar_t kViewportClass[] = L"Orvane2Viewport";
constexpr wchar_t kContentClass[] = L"Orvane2Board";

void RegisterChildClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);  // fails harmlessly when a window before registered it
}

SCROLLINFO BarState(HWND viewport)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(viewport, SB_VERT, &info);
    return info;
}

}  // namespace

ScrollArea::ScrollArea(HWND window, HINSTANCE instance)
{
    RegisterChildClass(instance, kViewportClass, ViewportProc);
    RegisterChildClass(instance, kContentClass, ContentProc);
    viewport_ = CreateWindowExW(0, kViewportClass, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0,
                                0, 0, window, nullptr, instance, this);
    if (viewport_ != nullptr)
        content_ = CreateWindowExW(0, kContentClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, viewport_, nullptr,
                                   instance, nullptr);
}

ScrollArea::~ScrollArea()
{
    if (IsWindow(viewport_))
        DestroyWindow(viewport_);
}

void ScrollArea::Place(int width, int height, int contentHeight, int lineHeight)
{
    lineHeight_ = lineHeight > 0 ? lineHeight : 1;
    MoveWindow(viewport_, 0, 0, width, height, TRUE);
    RECT inside{};
    GetClientRect(viewport_, &inside);  // less the bar
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nMax = contentHeight - 1;
    info.nPage = static_cast<UINT>(inside.bottom);
    SetScrollInfo(viewport_, SB_VERT, &info, TRUE);
    SetWindowPos(content_, nullptr, 0, 0, inside.right, contentHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScrollTo(BarState(viewport_).nPos);
}

void ScrollArea::ScrollTo(int position)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(viewport_, SB_VERT, &info, TRUE);  // keeps the position within the range
    SetWindowPos(content_, nullptr, 0, -BarState(viewport_).nPos, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScrollArea::Scroll(WORD request)
{
    const SCROLLINFO bar = BarState(viewport_);
    const int position = bar.nPos;
    const int page = static_cast<int>(bar.nPage);
    switch (request) {
        case SB_LINEUP:
            return ScrollTo(position - lineHeight_);
        case SB_LINEDOWN:
            return ScrollTo(position + lineHeight_);
        case SB_PAGEUP:
            return ScrollTo(position - page);
        case SB_PAGEDOWN:
            return ScrollTo(position + page);
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return ScrollTo(bar.nTrackPos);
        case SB_TOP:
            return ScrollTo(0);
        case SB_BOTTOM:
            return ScrollTo(bar.nMax);
        default:
            return;
    }
}

void ScrollArea::Wheel(int delta)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const SCROLLINFO bar = BarState(viewport_);
    const int step = lines == WHEEL_PAGESCROLL ? static_cast<int>(bar.nPage) : static_cast<int>(lines) * lineHeight_;
    ScrollTo(bar.nPos - delta * step / WHEEL_DELTA);
}

LRESULT CALLBACK ScrollArea::ViewportProc(HWND viewport, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* area = WindowOwner<ScrollArea>(viewport, message, lParam);
    if (area != nullptr && area->content_ != nullptr) {
        if (message == WM_VSCROLL) {
            area->Scroll(LOWORD(wParam));
            return 0;
        }
        if (message == WM_MOUSEWHEEL) {
            area->Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        }
    }
    return DefWindowProcW(viewport, message, wParam, lParam);
}

LRESULT CALLBACK ScrollArea::ContentProc(HWND content, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_NOTIFY:
            return SendMessageW(GetAncestor(content, GA_ROOT), message, wParam, lParam);
        default:
            return DefWindowProcW(content, message, wParam, lParam);
    }
}

}  // namespace orvane2::win32
