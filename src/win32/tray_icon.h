// SPDX-License-Identifier: MIT
#pragma once

#include "core/tray_report.h"
#include "win32/unique_handle.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace orvane2::win32 {

// The program's icon in the notification area: its record for Shell_NotifyIconW, its
// picture (the program's icon with the board's mark, drawn at the tray's size), its
// two-line tooltip, which is also what screen readers read, and its balloons (toasts on
// Windows 10 and 11). Used on the window's thread only.
//
// The icon speaks version 4 of the tray's protocol: its events come back to the window
// as the callback message with the event in the low word of lParam (the mouse messages,
// NIN_BALLOONUSERCLICK for a click on a balloon...) and the icon's id in the high word.
class TrayIcon {
public:
    // Stands for Shell_NotifyIconW, which tests replace.
    using Shell = std::function<bool(DWORD message, NOTIFYICONDATAW& record)>;
    static bool SystemShell(DWORD message, NOTIFYICONDATAW& record);

    TrayIcon(HINSTANCE instance, HWND window, UINT callbackMessage, Shell shell = SystemShell);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon with the look, or finds it still there (the shell also announces
    // itself after changes that keep its icons) and gives it the look; true when the
    // shell holds it.
    bool Add(const TrayLook& look);
    // The look from now on; an icon the shell holds shows it at once.
    void SetLook(const TrayLook& look);
    // Shows the notice as a balloon at an icon the shell holds. The record the icon is
    // added with again never carries it, so a re-added icon does not show it once more.
    void ShowBalloon(const HostNotice& notice);
    // The shell has lost the icon (its process ended): nothing to remove any longer.
    void Forget() { added_ = false; }
    // Removes an icon the shell holds.
    void Remove();

    bool Added() const { return added_; }
    // The record the icon is added with, also after the shell lost it.
    const NOTIFYICONDATAW& Record() const { return record_; }

private:
    HINSTANCE instance_;
    Shell shell_;
    NOTIFYICONDATAW record_{};
    TrayLook look_;
    UniqueIcon picture_;  // the record's hIcon
    int side_ = 0;        // its width and height
    bool added_ = false;
};

}  // namespace orvane2::win32
