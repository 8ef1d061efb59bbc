// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace orvane2::win32 {

// The window's style, and the numbers of its own messages and timers, shared by the
// files that hold Win32FormView's member functions.
inline constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
inline constexpr UINT kTrayMessage = WM_APP + 1;  // the tray icon's events
inline constexpr UINT kShellEnded = WM_APP + 2;   // the process that holds the tray has ended
inline constexpr UINT_PTR kTimerId = 1;           // the check timer
inline constexpr UINT_PTR kTrayTimerId = 2;       // the wait for the tray to come back
inline constexpr UINT_PTR kJournalTimerId = 3;    // when the journal's window follows the checks

}  // namespace orvane2::win32
