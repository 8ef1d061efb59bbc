// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_state.h"

#include <optional>
#include <string>

namespace orvane2 {

// Creates the next group box, captioned with everything after "group " in ConfigLine,
// and stacks it under the previous one.
void AddGroup(FormState& state);

// Puts the newest host label (Label1(HostCount)) into the current group box under the
// previous label, with the given caption, and stretches the box to hold it.
void PlaceHostLabel(FormState& state, const std::string& caption);

// Fits the window's outer height to the last group box and lifts the status line to
// just above the window's bottom.
void SizeWindow(FormState& state);

// Keeps a sized window within availableHeight (outer, in twips): a taller window is cut
// to that height, its status line lifted with it, and the boxes and labels scroll in a
// viewport above the status line, each at its place on the board. A board that fits,
// or an unknown height, leaves everything as it is.
void FitToScreen(Board& board, std::optional<int> availableHeight);

// The board as it lies under a menu bar menuBarHeight twips tall, positions counted from
// the bar's bottom edge: a window that fits the screen grows by the bar, while one
// already cut to the screen keeps its height and gives the bar its room from the
// scrolling viewport, the status line moving up with it.
Board WithMenuBar(Board board, int menuBarHeight);

}  // namespace orvane2
