// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"

#include <windows.h>

#include <vector>

namespace orvane2::win32 {

// The picture of the hosts' days: an owner-drawn list box, one item a host, that draws
// the host's title, a bar of its states over the last 24 hours in the board's colours
// and its figures beside it. Each item's text is "title: figures", which is what screen
// readers read of it.
class DayStrips {
public:
    // A child control of parent, with the identifier id (its WM_DRAWITEM comes with it).
    DayStrips(HWND parent, HINSTANCE instance, int id);
    DayStrips(const DayStrips&) = delete;
    DayStrips& operator=(const DayStrips&) = delete;

    HWND Handle() const { return list_; }
    std::size_t Count() const { return strips_.size(); }
    // Takes the strips: the items whose text changed are replaced, and all are drawn again.
    void Show(std::vector<DayStrip> strips);
    // Each item one line of the font, with room around it, at dpi.
    void SetFont(HFONT font, UINT dpi);
    int ItemHeight() const;
    // Draws one item, as WM_DRAWITEM asks.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND list_;
    std::vector<DayStrip> strips_;
};

}  // namespace orvane2::win32
