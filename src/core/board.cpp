// SPDX-License-Identifier: MIT
#include "core/board.h"

namespace orvane2 {

int16_t Board::NewFrame()
{
    GroupBox box = Frame1.front();
    box.visible = false;
    Frame1.push_back(box);
    return static_cast<int16_t>(Frame1.size() - 1);
}

int16_t Board::NewLabel()
{
    HostLabel label = Label1.front();
    label.visible = false;
    Label1.push_back(label);
    return static_cast<int16_t>(Label1.size() - 1);
}

}  // namespace orvane2
