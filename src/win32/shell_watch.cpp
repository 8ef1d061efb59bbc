// SPDX-License-Identifier: MIT
#include "win32/shell_watch.h"

namespace orvane2::win32 {

void ShellWatch::Start()
{
    Stop();
    DWORD id = 0;
    const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (tray == nullptr || GetWindowThreadProcessId(tray, &id) == 0 || id == GetCurrentProcessId())
        return;
    process_ = OpenProcess(SYNCHRONIZE, FALSE, id);
    processId_ = id;
    if (process_ == nullptr ||
        !RegisterWaitForSingleObject(&wait_, process_, Ended, this, INFINITE, WT_EXECUTEONLYONCE)) {
        wait_ = nullptr;
        Stop();
    }
}

void ShellWatch::Stop()
{
    // Waits for a callback under way, which then cannot outlive the watch.
    if (wait_ != nullptr)
        UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
    if (process_ != nullptr)
        CloseHandle(process_);
    wait_ = process_ = nullptr;
    processId_ = 0;
}

void CALLBACK ShellWatch::Ended(void* self, BOOLEAN /*timedOut*/)
{
    const auto* watch = static_cast<const ShellWatch*>(self);
    PostMessageW(watch->window_, watch->message_, watch->processId_, 0);
}

}  // namespace orvane2::win32
