// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_state.h"

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

}  // namespace orvane2
