// SPDX-License-Identifier: MIT
#include "core/tray_mark.h"

#include <algorithm>

namespace orvane2 {

namespace {
constexpr std::uint32_t kSilentRgb = 0xE61414;  // red
constexpr std::uint32_t kAnswerRgb = 0x28C83C;  // green
constexpr double kDiameterShare = 0.55;         // of the icon's side
}  // namespace

std::optional<MarkGeometry> MarkFor(TrayMark mark, int side)
{
    if (mark == TrayMark::None || side <= 0)
        return std::nullopt;
    MarkGeometry geometry;
    const double diameter = side * kDiameterShare;
    geometry.outerRadius = diameter / 2;
    // A ring a sixteenth of the side wide, at least a pixel.
    geometry.innerRadius = geometry.outerRadius - std::max(1.0, side / 16.0);
    geometry.centreX = side - geometry.outerRadius;
    geometry.centreY = side - geometry.outerRadius;
    geometry.markRgb = mark == TrayMark::SomeSilent ? kSilentRgb : kAnswerRgb;
    return geometry;
}

}  // namespace orvane2
