// SPDX-License-Identifier: MIT
#include "win32/day_strips.h"

#include "win32/unique_handle.h"
#include "win32/virtual_list.h"
#include "win32/wide_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace orvane2::win32 {

namespace {

constexpr int kTitleColumn = 0, kBarColumn = 1, kFiguresColumn = 2;

// The room between a bar and the edges of its cell, for a row that tall.
int BarInset(int rowHeight)
{
    return std::max(2, rowHeight / 6);
}

}  // namespace

DayStrips::DayStrips(HWND parent, HINSTANCE instance, int id)
    : list_(CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER |
                                LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr))
{
    if (list_ == nullptr)
        return;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int c : {kTitleColumn, kBarColumn, kFiguresColumn}) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_SUBITEM;
        column.iSubItem = c;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
}

void DayStrips::Show(std::vector<DayStrip> strips)
{
    strips_ = std::move(strips);
    if (list_ == nullptr)
        return;
    // The bars move with the time even where the words stay.
    SetVirtualCount(list_, strips_.size());
}

void DayStrips::SetRowHeight(int pixels)
{
    if (list_ == nullptr)
        return;
    // The list keeps the old list until it is given the new one.
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer> spacer(
        ImageList_Create(1, std::max(pixels, 1), ILC_COLOR32, 0, 1));
    ListView_SetImageList(list_, spacer.get(), LVSIL_SMALL);
    rowSpacer_ = std::move(spacer);
    rowHeight_ = std::max(pixels, 1);
}

bool DayStrips::SizeColumns(int width)
{
    const int title = width * 3 / 10, bar = width * 7 / 20;
    const std::size_t barsWere = BarWidth();
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, kTitleColumn, title);
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, kBarColumn, bar);
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, kFiguresColumn, std::max(width - title - bar, 0));
    return BarWidth() != barsWere;
}

std::size_t DayStrips::BarWidth() const
{
    const int column = list_ != nullptr ? ListView_GetColumnWidth(list_, kBarColumn) : 0;
    return static_cast<std::size_t>(std::max(column - 2 * BarInset(rowHeight_) - 2, 1));  // inside its frame
}

LRESULT DayStrips::Answer(NMHDR& notice) const
{
    if (notice.code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(notice).item;
        if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0)
            return 0;
        item.pszText[0] = L'\0';
        if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= strips_.size() || item.iSubItem == kBarColumn)
            return 0;
        const DayStrip& strip = strips_[static_cast<std::size_t>(item.iItem)];
        const std::wstring text = Widen(item.iSubItem == kTitleColumn ? strip.title : strip.figures);
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), length, item.pszText);
        item.pszText[length] = L'\0';
        return 0;
    }
    if (notice.code != NM_CUSTOMDRAW)
        return 0;
    // The bar's column is drawn here, the rest as the list view draws it.
    NMLVCUSTOMDRAW& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(notice);
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto row = static_cast<int>(draw.nmcd.dwItemSpec);
            if (draw.iSubItem != kBarColumn || row < 0 || static_cast<std::size_t>(row) >= strips_.size())
                return CDRF_DODEFAULT;
            RECT cell{};
            ListView_GetSubItemRect(list_, row, kBarColumn, LVIR_BOUNDS, &cell);
            const bool selected = ListView_GetItemState(list_, row, LVIS_SELECTED) != 0;
            FillRect(draw.nmcd.hdc, &cell, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
            const int inset = BarInset(static_cast<int>(cell.bottom - cell.top));
            DrawBar(draw.nmcd.hdc, strips_[static_cast<std::size_t>(row)],
                    {cell.left + inset, cell.top + inset, cell.right - inset, cell.bottom - inset});
            return CDRF_SKIPDEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void DayStrips::DrawBar(HDC dc, const DayStrip& strip, RECT bar) const
{
    // The core merged the stretches to one a column of the bar at most, a column that
    // holds any silence red; each is filled from its left edge to its right, a pixel at
    // least, in the bar's width as it is now.
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
    InflateRect(&bar, -1, -1);  // the stretches lie inside the frame
    const int span = std::max(0, static_cast<int>(bar.right - bar.left));
    const auto at = [span](double share) { return static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * span)); };
    std::vector<std::pair<std::uint32_t, UniqueGdiObject<HBRUSH>>> brushes;  // 0x00BBGGRR is a COLORREF
    const auto brush = [&](std::uint32_t colour) {
        for (const auto& [c, b] : brushes)
            if (c == colour)
                return b.get();
        return brushes.emplace_back(colour, CreateSolidBrush(static_cast<COLORREF>(colour))).second.get();
    };
    for (const StripStretch& stretch : strip.stretches) {
        const int left = std::min(at(stretch.from), span - 1);
        const RECT piece{bar.left + left, bar.top, bar.left + std::max(at(stretch.to), left + 1), bar.bottom};
        if (span > 0 && brush(stretch.bgr) != nullptr)
            FillRect(dc, &piece, brush(stretch.bgr));
    }
}

}  // namespace orvane2::win32
