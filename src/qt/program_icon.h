// SPDX-License-Identifier: MIT
#pragma once

#include "core/tray_report.h"

#include <QIcon>

namespace orvane2 {

// The program's radar-scope icon for the window and the tray: the 48 x 48 and 16 x 16
// images compiled in from assets/icon/icons.qrc (":/icons/radar-48.png", ":/icons/radar-16.png").
QIcon ProgramIcon();

// The program's icon with the board's mark in its lower right corner: a red disc while
// a host does not answer, a green one while all do, none before the first check. Drawn
// anew at every size a tray asks for, from 16 px to HiDPI.
QIcon MarkedIcon(TrayMark mark);

}  // namespace orvane2
