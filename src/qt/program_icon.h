// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace orvane2 {

// The program's radar-scope icon for the window and the tray: the 48 x 48 and 16 x 16
// images compiled in from assets/icon/icons.qrc (":/icons/radar-48.png", ":/icons/radar-16.png").
QIcon ProgramIcon();

}  // namespace orvane2
