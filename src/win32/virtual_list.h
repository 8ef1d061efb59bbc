// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

namespace orvane2::win32 {

// Gives a virtual list view (LVS_OWNERDATA) count rows and has it ask again for the rows
// it shows. Setting the count lays out the scroll bars anew, which takes milliseconds: a
// list with as many rows as before is only drawn again.
inline void SetVirtualCount(HWND list, std::size_t count)
{
    if (static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) != count)
        SendMessageW(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, FALSE);
}

}  // namespace orvane2::win32
