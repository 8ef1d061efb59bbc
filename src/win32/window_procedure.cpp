// SPDX-License-Identifier: MIT
// Win32FormView's window procedure: each message the window gets goes to what it asks
// for, the window's own or Form1's behaviour (timers, tray icon events, menu bar
// commands, the close box), with what Form1 throws kept out of the system's frames.
#include "win32/win32_form_view.h"

#include "core/form1.h"
#include "win32/win32_form_view_ids.h"

#include <exception>

namespace orvane2::win32 {

// Runs a call into the window's behaviour from inside a window procedure. An exception
// must not unwind through the system's frames: it is kept and raised again once the
// message has been dispatched.
template <typename Call>
void Win32FormView::Guarded(Call&& call)
{
    try {
        call();
    } catch (...) {
        services_.Defer(std::current_exception());
    }
}

void Win32FormView::TrayEvent(UINT event)
{
    if (form_ == nullptr)
        return;
    // A click on a balloon comes through the icon's message too; the other events are
    // mouse messages (514 a left button, 517 a right button released over the icon) and
    // the shell's own, which the window's behaviour ignores.
    if (event == NIN_BALLOONUSERCLICK)
        Guarded([&] { form_->NotificationClicked(); });
    else
        Guarded([&] { form_->TrayNotification(static_cast<int>(event)); });
}

LRESULT CALLBACK Win32FormView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Win32FormView*>(create->lpCreateParams)->window_ = window;
    }
    auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (view == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return view->HandleMessage(message, wParam, lParam);
}

LRESULT Win32FormView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == taskbarCreated_ && message != 0) {
        if (trayWatched_ && form_ != nullptr)
            Guarded([&] { form_->TrayAppeared(); });
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
                Guarded([&] { form_->TrayVanished(); });
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTrayTimerId)
                KillTimer(window_, kTrayTimerId);  // it goes off once
            if (form_ == nullptr || (wParam != kTimerId && wParam != kTrayTimerId))
                break;
            Guarded([&] { wParam == kTimerId ? form_->Timer1_Timer() : form_->TrayTimer_Timer(); });
            return 0;
        case WM_COMMAND:
            // Commands of the menu bar (a notification from a control has a non-zero code).
            if (HIWORD(wParam) == 0 && lParam == 0) {
                Guarded([&] { RunCommand(LOWORD(wParam)); });
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
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
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
                Guarded([&] { form_->Form_Close(); });
                return 0;
            }
            break;
        case WM_ENDSESSION:
            if (wParam != FALSE && form_ != nullptr) {
                Guarded([&] { form_->Form_Close(); });
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
