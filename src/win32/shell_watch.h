// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace orvane2::win32 {

// Tells a window when the process that holds the notification area (Explorer's
// "Shell_TrayWnd") ends, closed or crashed: a thread of the system's pool waits on the
// process and posts the message to the window, which learns of it on its own thread,
// with the process's id as wParam. Nothing wakes the program while the process runs.
class ShellWatch {
public:
    ShellWatch(HWND window, UINT message) : window_(window), message_(message) {}
    ~ShellWatch() { Stop(); }
    ShellWatch(const ShellWatch&) = delete;
    ShellWatch& operator=(const ShellWatch&) = delete;

    // Watches the process that holds the notification area now, instead of any other.
    void Start();
    void Stop();
    // The process watched now, 0 for none: a message about another one is stale.
    DWORD Watched() const { return processId_; }

private:
    static void CALLBACK Ended(void* self, BOOLEAN timedOut);

    HWND window_;
    UINT message_;
    HANDLE process_ = nullptr;
    HANDLE wait_ = nullptr;
    DWORD processId_ = 0;
};

}  // namespace orvane2::win32
