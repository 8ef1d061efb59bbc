// SPDX-License-Identifier: MIT
#pragma once

#include "core/tray_report.h"

#include <cstdint>
#include <optional>

namespace orvane2 {

// Where the tray icon's mark lies over the program's picture and how it is coloured, for
// an icon `side` pixels square: a disc in the lower right corner, a white ring around
// the mark's colour, so that it stands out on any panel. Both front ends paint exactly
// this, each with its own painter.
struct MarkGeometry {
    double centreX = 0;                // pixels from the icon's left edge
    double centreY = 0;                // pixels from its top edge
    double outerRadius = 0;            // of the white ring
    double innerRadius = 0;            // of the coloured core
    std::uint32_t ringRgb = 0xFFFFFF;  // 0x00RRGGBB
    std::uint32_t markRgb = 0;         // 0x00RRGGBB
};

// The mark's geometry and colours; nothing for TrayMark::None (the picture as it is).
std::optional<MarkGeometry> MarkFor(TrayMark mark, int side);

}  // namespace orvane2
