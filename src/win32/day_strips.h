// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace orvane2::win32 {

// The picture of the hosts' days: a report list view without a header, one row a host,
// its title, a bar of its states over the last 24 hours in the board's colours, and its
// figures. A virtual list: it asks for the cells it draws, so new strips cost only their
// copy, and screen readers read the title and the figures as the row's cells.
class DayStrips {
public:
    // A child control of parent, with the identifier id; its questions (WM_NOTIFY) come to
    // parent, which passes them on to Answer.
    DayStrips(HWND parent, HINSTANCE instance, int id);
    DayStrips(const DayStrips&) = delete;
    DayStrips& operator=(const DayStrips&) = delete;

    HWND Handle() const { return list_; }
    std::size_t Count() const { return strips_.size(); }
    // Takes the strips and draws them again.
    void Show(std::vector<DayStrip> strips);
    // Rows of the given height in pixels, for room around the bars.
    void SetRowHeight(int pixels);
    // Splits width between the title, the bar and the figures; true when the bars' width
    // changed, and with it the columns their strips are to be merged to.
    bool SizeColumns(int width);
    // The bars' width in pixels: the columns to merge a strip's stretches to.
    std::size_t BarWidth() const;
    // Answers the list view's notification: the cells' text, and the bars drawn over
    // their column.
    LRESULT Answer(NMHDR& notice) const;

private:
    void DrawBar(HDC dc, const DayStrip& strip, RECT bar) const;

    struct ImageListDestroyer {
        void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
    };

    HWND list_;
    // An empty image list as tall as a row: a list view's rows are as tall as its font
    // or its images, whichever is taller.
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer> rowSpacer_;
    std::vector<DayStrip> strips_;
    int rowHeight_ = 1;  // pixels, as SetRowHeight made it
};

}  // namespace orvane2::win32
