// SPDX-License-Identifier: MIT
// Win32FormView's board: the group boxes, host labels and status line made and placed
// from the board's twips at the window's DPI, in its font; the window's height fitted to
// the board, under the menu bar when there is one; the labels' colours and tooltips.
#include "win32/win32_form_view.h"

#include "core/board_layout.h"
#include "win32/dpi_fonts.h"
#include "win32/wide_text.h"
#include "win32/win32_form_view_ids.h"

namespace orvane2::win32 {

namespace {

void MoveTo(HWND control, const RECT& r)
{
    if (control != nullptr)
        MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

}  // namespace

RECT Win32FormView::PixelRect(const Rect& r, int originLeft, int originTop) const
{
    const int left = originLeft + PixelsAt(r.left, dpi_);
    const int top = originTop + PixelsAt(r.top, dpi_);
    return {left, top, left + PixelsAt(r.width, dpi_), top + PixelsAt(r.height, dpi_)};
}

RECT Win32FormView::LabelRect(std::size_t index) const
{
    // A label inside a box counts its place from the box's corner, in the box's own
    // pixels: the same rounding as a control nested in another.
    const HostLabel& label = board_.Label1[index];
    const auto box = static_cast<std::size_t>(label.container);
    if (box > 0 && box < board_.Frame1.size()) {
        const Rect& frame = board_.Frame1[box].rect;
        return PixelRect(label.rect, PixelsAt(frame.left, dpi_), PixelsAt(frame.top, dpi_));
    }
    return PixelRect(label.rect, 0, 0);
}

HWND Win32FormView::CreateControl(HWND parent, const wchar_t* windowClass, const std::string& caption, DWORD style,
                                  const RECT& rect) const
{
    const HWND control =
        CreateWindowExW(0, windowClass, Widen(caption).c_str(), WS_CHILD | style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance_, nullptr);
    if (control != nullptr && font_)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

HWND Win32FormView::BoardParent() const
{
    return scrollArea_ ? scrollArea_->Content() : window_;
}

Board Win32FormView::Shown() const
{
    if (menuBar_ == nullptr)
        return board_;
    // The bar's height at the window's DPI, in whole twips.
    const int barTwips = MetricAt(SM_CYMENU, dpi_) * layout::kTwipsPerInch / static_cast<int>(dpi_);
    return WithMenuBar(board_, barTwips);
}

void Win32FormView::LayOut()
{
    const Board shown = Shown();
    PlaceScrollArea(shown);
    MoveTo(status_, PixelRect(shown.StatusString.rect, 0, 0));
    for (std::size_t g = 1; g < frames_.size(); ++g)
        MoveTo(frames_[g], PixelRect(board_.Frame1[g].rect, 0, 0));
    for (std::size_t i = 1; i < labels_.size(); ++i)
        MoveTo(labels_[i], LabelRect(i));
}

void Win32FormView::UpdateFont()
{
    UniqueGdiObject<HFONT> font = MessageFontAt(dpi_);
    const auto apply = [&font](HWND control) {
        if (control != nullptr)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    };
    apply(status_);
    for (HWND frame : frames_)
        apply(frame);
    for (HWND label : labels_)
        apply(label);
    font_ = std::move(font);  // the controls no longer use the one before
}

void Win32FormView::FitHeight()
{
    RECT window{};
    GetWindowRect(window_, &window);
    const RECT first = OuterRectAt(layout::kClientWidth, layout::kClientHeight, kWindowStyle, dpi_);
    const Board shown = Shown();
    int height = 0;
    if (shown.WindowHeight)
        height = PixelsAt(*shown.WindowHeight, dpi_);
    else  // no board yet: the first client area, under the bar when there is one
        height = first.bottom - first.top + (menuBar_ != nullptr ? MetricAt(SM_CYMENU, dpi_) : 0);
    const int width =
        scrollArea_ ? first.right - first.left + MetricAt(SM_CXVSCROLL, dpi_) : window.right - window.left;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::PlaceScrollArea(const Board& shown)
{
    if (!scrollArea_ || !shown.Viewport)
        return;
    RECT client{};
    GetClientRect(window_, &client);
    scrollArea_->Place(client.right, PixelsAt(shown.Viewport->height, dpi_),
                       PixelsAt(shown.Viewport->contentHeight, dpi_), PixelsAt(shown.Label1[0].rect.height, dpi_));
}

std::optional<int> Win32FormView::AvailableHeight() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor))
        return std::nullopt;
    // The work area leaves out the task bar and the other desktop bars.
    const long long pixels = monitor.rcWork.bottom - monitor.rcWork.top;
    return static_cast<int>(pixels * layout::kTwipsPerInch / dpi_);
}

void Win32FormView::PlaceBoard(const Board& board)
{
    board_ = board;
    if (board_.Viewport && !scrollArea_) {
        scrollArea_ = std::make_unique<ScrollArea>(window_, instance_);
        if (!scrollArea_->Created())
            scrollArea_.reset();
    }
    // Without a scroll area the window shows the top of the board, as if it were not cut
    // to the screen: a menu bar then adds to the window's height.
    if (!scrollArea_)
        board_.Viewport.reset();
    const HWND parent = BoardParent();
    // Every control is made at its place, in its font, in one call each: a board of 255
    // hosts is a few hundred controls. The labels drawn over a box are its siblings (a
    // STATIC inside a BUTTON would send its colour requests to the button), made before
    // the boxes: a sibling made later lies below, so the boxes never cover a label.
    for (std::size_t i = labels_.size(); i < board_.Label1.size(); ++i) {
        const HostLabel& label = board_.Label1[i];
        // SS_NOTIFY: the label takes the mouse, which its tooltip needs.
        labels_.push_back(CreateControl(parent, L"STATIC", label.caption,
                                        SS_LEFT | SS_NOPREFIX | SS_NOTIFY | (label.visible ? WS_VISIBLE : 0),
                                        LabelRect(i)));
    }
    for (std::size_t g = frames_.size(); g < board_.Frame1.size(); ++g) {
        const GroupBox& box = board_.Frame1[g];
        frames_.push_back(CreateControl(parent, L"BUTTON", box.caption, BS_GROUPBOX | (box.visible ? WS_VISIBLE : 0),
                                        PixelRect(box.rect, 0, 0)));
    }
    const Board shown = Shown();
    SetWindowTextW(status_, Widen(board_.StatusString.caption).c_str());
    MoveTo(status_, PixelRect(shown.StatusString.rect, 0, 0));
    FitHeight();
    PlaceScrollArea(shown);
}

void Win32FormView::SetLabelColor(int index, std::uint32_t bgr)
{
    if (index < 1 || static_cast<std::size_t>(index) >= labels_.size())
        return;
    board_.Label1[static_cast<std::size_t>(index)].foreColor = bgr;
    InvalidateRect(labels_[static_cast<std::size_t>(index)], nullptr, TRUE);
}

void Win32FormView::SetLabelDescription(int index, const std::string& text)
{
    if (index < 1 || static_cast<std::size_t>(index) >= labels_.size() ||
        labels_[static_cast<std::size_t>(index)] == nullptr)
        return;
    descriptions_->Describe(labels_[static_cast<std::size_t>(index)], text);
}

void Win32FormView::SetStatusCaption(const std::string& caption)
{
    board_.StatusString.caption = caption;
    SetWindowTextW(status_, Widen(caption).c_str());
}

}  // namespace orvane2::win32
