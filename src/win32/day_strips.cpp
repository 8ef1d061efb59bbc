// SPDX-License-Identifier: MIT
#include "win32/day_strips.h"

#include "win32/unique_handle.h"
#include "win32/wide_text.h"

#include <algorithm>
#include <cmath>

namespace orvane2::win32 {

namespace {

std::wstring ItemText(const DayStrip& strip)
{
    return Widen(strip.title + ": " + strip.figures);
}

std::wstring TextOf(HWND list, int index)
{
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void DrawLine(HDC dc, const std::string& text, RECT rect, UINT align)
{
    const std::wstring wide = Widen(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

DayStrips::DayStrips(HWND parent, HINSTANCE instance, int id)
    : list_(CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr))
{}

void DayStrips::Show(std::vector<DayStrip> strips)
{
    if (list_ == nullptr)
        return;
    const auto top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    if (strips.size() != strips_.size()) {
        SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        for (const DayStrip& strip : strips)
            SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ItemText(strip).c_str()));
    } else {
        // The same hosts: only the items whose words changed are made again.
        for (std::size_t i = 0; i < strips.size(); ++i) {
            const std::wstring text = ItemText(strips[i]);
            const auto index = static_cast<int>(i);
            if (TextOf(list_, index) == text)
                continue;
            SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
            SendMessageW(list_, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    strips_ = std::move(strips);
    SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    // The bars move with the time even where the words stay.
    InvalidateRect(list_, nullptr, TRUE);
}

void DayStrips::SetFont(HFONT font, UINT dpi)
{
    if (list_ == nullptr)
        return;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    TEXTMETRICW metrics{};
    const HDC dc = GetDC(list_);
    const HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    const int height = metrics.tmHeight + MulDiv(8, static_cast<int>(dpi), 96);
    SendMessageW(list_, LB_SETITEMHEIGHT, 0, MAKELPARAM(std::clamp(height, 1, 255), 0));
    InvalidateRect(list_, nullptr, TRUE);
}

int DayStrips::ItemHeight() const
{
    const LRESULT height = SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0);
    return height > 0 && height != LB_ERR ? static_cast<int>(height) : 16;
}

void DayStrips::Draw(const DRAWITEMSTRUCT& item) const
{
    const HDC dc = item.hDC;
    const RECT whole = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &whole, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= strips_.size()) {
        if (item.itemState & ODS_FOCUS)
            DrawFocusRect(dc, &whole);
        return;
    }
    const DayStrip& strip = strips_[item.itemID];
    // Three columns: the title, the bar, the figures.
    const int width = whole.right - whole.left;
    const int gap = std::max(4, static_cast<int>(whole.bottom - whole.top) / 3);
    RECT title{whole.left + gap, whole.top, whole.left + width * 3 / 10, whole.bottom};
    RECT bar{title.right + gap, whole.top + gap / 2 + 1, whole.left + width * 13 / 20, whole.bottom - gap / 2 - 1};
    RECT figures{bar.right + gap, whole.top, whole.right - gap, whole.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawLine(dc, strip.title, title, DT_LEFT);
    DrawLine(dc, strip.figures, figures, DT_LEFT);

    // Each stretch from its start to its end over the bar's width, at least a pixel wide
    // so that a short silence still shows; 0x00BBGGRR is a COLORREF.
    const double span = bar.right - bar.left;
    for (const StripStretch& stretch : strip.stretches) {
        RECT piece = bar;
        piece.left = bar.left + static_cast<LONG>(std::lround(std::clamp(stretch.from, 0.0, 1.0) * span));
        piece.right = bar.left + static_cast<LONG>(std::lround(std::clamp(stretch.to, 0.0, 1.0) * span));
        if (stretch.to > stretch.from && piece.right <= piece.left)
            piece.right = std::min(piece.left + 1, bar.right);
        if (piece.right <= piece.left)
            continue;
        const UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(static_cast<COLORREF>(stretch.bgr)));
        if (brush)
            FillRect(dc, &piece, brush.get());
    }
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &whole);
}

}  // namespace orvane2::win32
