// SPDX-License-Identifier: MIT
// Win32FormView's window procedure: each message the window gets goes to what it asks
// for, the window's own or Form1's behaviour (timers, tray icon events, menu bar
// commands, the close box), with what Form1 throws kept out of the system's frames.
#include "win32/win32_form_view.h"

#include "core/form1.h"
#include "win32/dpi_fonts.h"
#include "win32/guarded_call.h"
#include "win32/win32_form_view_ids.h"
#include "win32/window_class.h"

namespace orvane2::win32 {

void Win32FormView::TrayEvent(UINT event)
{
    if (form_ == nullptr)
        return;
    // A click on a balloon comes through the icon's message too; the other events are
    // mouse messages (514 a left button, 517 a right button released over the icon) and
    // the shell's own, which the window's behaviour ignores.
    if (event == NIN_BALLOONUSERCLICK)
        CallGuarded(services_, [&] { form_->NotificationClicked(); });
    else
        CallGuarded(services_, [&] { form_->TrayNotification(static_cast<int>(event)); });
}

LRESULT CALLBACK Win32FormView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* view = WindowOwner<Win32FormView>(window, message, lParam);
    if (view == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE)
        view->window_ = window;  // before CreateWindowExW returns it
    return view->HandleMessage(message, wParam, lParam);
}

LRESULT Win32FormView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == taskbarCreated_ && message != 0) {
        if (trayWatched_ && form_ != nullptr)
            CallGuarded(services_, [&] { form_->TrayAppeared(); });
        return 0;
    }
    switch (message) {
        case kTrayMessage:
            // The low word carries the event, the high word the icon's id.
            TrayEvent(LOWORD(static_cast<DWORD>(lParam)));
            return 0;
        case kShellEnded:
            // Only the shell that holds the icon now: an old one may end after a new one took it.
            if (wParam == shellWatch_->Watched() && tray_->Added() && form_ != nullptr) {
                tray_->Forget();
                CallGuarded(services_, [&] { form_->TrayVanished(); });
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTrayTimerId || wParam == kJournalTimerId)
                KillTimer(window_, wParam);  // they go off once
            if (form_ == nullptr || (wParam != kTimerId && wParam != kTrayTimerId && wParam != kJournalTimerId))
                break;
            CallGuarded(services_, [&] {
                if (wParam == kTimerId)
                    form_->Timer1_Timer();
                else if (wParam == kTrayTimerId)
                    form_->TrayTimer_Timer();
                else
                    form_->JournalTimer_Timer();
            });
            return 0;
        case WM_COMMAND:
            // Commands of the menu bar (a notification from a control has a non-zero code).
            if (HIWORD(wParam) == 0 && lParam == 0) {
                CallGuarded(services_, [&] { RunCommand(LOWORD(wParam)); });
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            const HWND control = reinterpret_cast<HWND>(lParam);
            for (std::size_t i = 1; i < labels_.size(); ++i) {
                const std::optional<std::uint32_t>& color = board_.Label1[i].foreColor;
                if (labels_[i] == control && color) {
                    const HDC dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, static_cast<COLORREF>(*color));
                    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
                }
            }
            break;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            MoveToSuggestedRect(window_, lParam);
            UpdateFont();
            FitHeight();
            LayOut();
            return 0;
        }
        case WM_MOUSEWHEEL:
            // The wheel turns at the focused window, which is this one: it scrolls the board.
            if (scrollArea_)
                return SendMessageW(scrollArea_->Viewport(), message, wParam, lParam);
            break;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS)
                UpdateFont();
            break;
        case WM_CLOSE:
            // The close box, or the system closing the window: the program ends, its icon
            // leaves the tray.
            if (form_ != nullptr) {
                CallGuarded(services_, [&] { form_->Form_Close(); });
                return 0;
            }
            break;
        case WM_ENDSESSION:
            if (wParam != FALSE && form_ != nullptr) {
                CallGuarded(services_, [&] { form_->Form_Close(); });
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace orvane2::win32
