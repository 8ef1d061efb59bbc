// SPDX-License-Identifier: MIT
// Win32FormView's tray icon: added, changed and removed for Form1, watched while the
// shell holds it, its balloons, and the timer that waits for a lost tray to return.
// Its events come back through the window procedure (window_procedure.cpp).
#include "win32/win32_form_view.h"

#include "win32/win32_form_view_ids.h"

namespace orvane2::win32 {

bool Win32FormView::AddTrayIcon(const TrayLook& look)
{
    trayWatched_ = true;
    if (!tray_->Add(look))
        return false;
    shellWatch_->Start();
    return true;
}

void Win32FormView::SetTrayLook(const TrayLook& look)
{
    tray_->SetLook(look);
}

void Win32FormView::RemoveTrayIcon()
{
    trayWatched_ = false;
    if (shellWatch_)
        shellWatch_->Stop();
    if (tray_)
        tray_->Remove();
}

void Win32FormView::Notify(const HostNotice& notice)
{
    tray_->ShowBalloon(notice);
}

void Win32FormView::StartTrayTimer(int intervalMs)
{
    SetTimer(window_, kTrayTimerId, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1), nullptr);
}

void Win32FormView::StopTrayTimer()
{
    KillTimer(window_, kTrayTimerId);
}

}  // namespace orvane2::win32
