// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane2 {

// Placement of the board, in twips (1/1440 inch; 15 twips to a device-independent pixel).
namespace layout {
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kFirstBoxTop = 120;
inline constexpr int kBoxGap = 100;
inline constexpr int kFirstLabelTop = 240;
inline constexpr int kBoxBottomMargin = 375;
inline constexpr int kWindowExtraHeight = 1200;
inline constexpr int kStatusLineLift = 1000;
inline constexpr int kClientWidth = 3750;  // client area when the window is created
inline constexpr int kClientHeight = 1500;

// Twips to pixels at the given resolution (96 dots per inch: 15 twips to a pixel),
// rounded to the nearest pixel.
constexpr int ToPixels(int twips, int dotsPerInch = 96)
{
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / kTwipsPerInch);
}
}  // namespace layout

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A group box of the control array Frame1.
struct GroupBox {
    std::string caption;
    Rect rect;
    bool visible = false;
};

// A host label of the control array Label1. container is the index of the group box it
// lies in, or 0 when it lies directly on the window (as the template does).
struct HostLabel {
    std::string caption;
    Rect rect;
    bool visible = false;
    int16_t container = 0;
    std::optional<uint32_t> foreColor;  // 0x00BBGGRR; none means the default colour
};

// A board taller than the screen shows through a viewport: the top `height` twips of
// the client area scroll vertically over the whole board, `contentHeight` twips tall.
struct ScrollViewport {
    int height = 0;
    int contentHeight = 0;
};

// The window's controls as numbers: the two control arrays with their hidden
// templates at index 0, the status line and the window's outer height.
struct Board {
    std::vector<GroupBox> Frame1{GroupBox{"Frame1", {120, 120, 3495, 375}, false}};
    std::vector<HostLabel> Label1{HostLabel{"Label1", {120, 600, 2500, 255}, false, 0, {}}};
    HostLabel StatusString{"Инициализация...", {120, 1080, 1695, 255}, true, 0, {}};
    std::optional<int> WindowHeight;         // outer height, set once when the window is sized
    std::optional<ScrollViewport> Viewport;  // only when the board is taller than the screen

    // New elements start as hidden copies of element 0.
    int16_t NewFrame();
    int16_t NewLabel();
};

}  // namespace orvane2
