// SPDX-License-Identifier: MIT
#include "core/board_layout.h"

#include <algorithm>

namespace orvane2 {

void AddGroup(FormState& state)
{
    Board& board = state.board;
    ++state.GroupCount;
    const int16_t g = board.NewFrame();
    GroupBox& box = board.Frame1[g];
    box.visible = true;
    box.caption = state.ConfigLine.size() > 6 ? state.ConfigLine.substr(6) : std::string();
    if (g == 1) {
        box.rect.top = layout::kFirstBoxTop;
    } else {
        const Rect& previous = board.Frame1[g - 1].rect;
        box.rect.top = previous.height + previous.top + layout::kBoxGap;
    }
    state.NewGroupPending = true;
}

void PlaceHostLabel(FormState& state, const std::string& caption)
{
    Board& board = state.board;
    HostLabel& label = board.Label1[state.HostCount];
    label.container = state.GroupCount;
    label.visible = true;
    label.caption = caption;
    if (state.NewGroupPending) {
        label.rect.top = layout::kFirstLabelTop;
        state.NewGroupPending = false;
    } else {
        const Rect& previous = board.Label1[state.HostCount - 1].rect;
        label.rect.top = previous.height + previous.top;
    }
    board.Frame1[state.GroupCount].rect.height = label.rect.top + layout::kBoxBottomMargin;
}

void SizeWindow(FormState& state)
{
    Board& board = state.board;
    const Rect& last = board.Frame1[state.GroupCount].rect;
    const int height = last.height + last.top + layout::kWindowExtraHeight;
    board.WindowHeight = height;
    board.StatusString.rect.top = height - layout::kStatusLineLift;
}

void FitToScreen(Board& board, std::optional<int> availableHeight)
{
    if (!board.WindowHeight || !availableHeight || *board.WindowHeight <= *availableHeight)
        return;
    // Never smaller than the window of an empty board, which shows the status line alone.
    const int emptyBoard = layout::kFirstBoxTop + board.Frame1[0].rect.height + layout::kWindowExtraHeight;
    const int height = std::max(*availableHeight, emptyBoard);
    if (height >= *board.WindowHeight)
        return;
    const Rect& last = board.Frame1.back().rect;
    board.WindowHeight = height;
    board.StatusString.rect.top = height - layout::kStatusLineLift;
    board.Viewport =
        ScrollViewport{board.StatusString.rect.top - layout::kBoxGap, last.top + last.height + layout::kFirstBoxTop};
}

Board WithMenuBar(Board board, int menuBarHeight)
{
    if (board.Viewport) {
        board.Viewport->height -= menuBarHeight;
        board.StatusString.rect.top -= menuBarHeight;
    } else if (board.WindowHeight) {
        *board.WindowHeight += menuBarHeight;
    }
    return board;
}

}  // namespace orvane2
