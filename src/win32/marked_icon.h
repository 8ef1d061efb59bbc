// SPDX-License-Identifier: MIT
#pragma once

#include "core/tray_report.h"
#include "win32/unique_handle.h"

#include <windows.h>

namespace orvane2::win32 {

// The program's icon (the resource IDI_RADAR of instance) side pixels square, with the
// board's mark where MarkFor puts it: a red disc in a white ring while a host does not
// answer, a green one while all do, the icon as it is for TrayMark::None. Drawn anew for
// each size, so the mark stays sharp from 16 px to the sizes of high DPI. Null when the
// system refuses the icon.
UniqueIcon MarkedIcon(HINSTANCE instance, int side, TrayMark mark);

}  // namespace orvane2::win32
