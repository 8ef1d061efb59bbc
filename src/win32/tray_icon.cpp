// SPDX-License-Identifier: MIT
#include "win32/tray_icon.h"

#include "win32/marked_icon.h"
#include "win32/wide_text.h"

#include <string>
#include <utility>

namespace orvane2::win32 {

namespace {

constexpr UINT kTrayIconId = 1;

// Copies text into a fixed field of a record, cut with "…" when it does not fit, never
// between the two halves of a character outside the Basic Multilingual Plane.
template <std::size_t N>
void Fill(wchar_t (&field)[N], const std::string& utf8)
{
    std::wstring text = Widen(utf8);
    if (text.size() >= N) {
        text.resize(N - 2);
        if (IS_HIGH_SURROGATE(text.back()))
            text.pop_back();
        text.push_back(L'\u2026');
    }
    lstrcpynW(field, text.c_str(), static_cast<int>(N));
}

}  // namespace

bool TrayIcon::SystemShell(DWORD message, NOTIFYICONDATAW& record)
{
    return Shell_NotifyIconW(message, &record) != FALSE;
}

TrayIcon::TrayIcon(HINSTANCE instance, HWND window, UINT callbackMessage, Shell shell)
    : instance_(instance), shell_(std::move(shell))
{
    record_.cbSize = sizeof record_;
    record_.hWnd = window;
    record_.uID = kTrayIconId;
    // With version 4 the standard tooltip shows only when asked for (NIF_SHOWTIP).
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    record_.uCallbackMessage = callbackMessage;
}

TrayIcon::~TrayIcon()
{
    Remove();
}

bool TrayIcon::Add(const TrayLook& look)
{
    SetLook(look);
    if (shell_(NIM_ADD, record_)) {
        NOTIFYICONDATAW version = record_;
        version.uVersion = NOTIFYICON_VERSION_4;
        shell_(NIM_SETVERSION, version);
        added_ = true;
    } else {
        added_ = shell_(NIM_MODIFY, record_);
    }
    return added_;
}

void TrayIcon::SetLook(const TrayLook& look)
{
    // The tray draws its icons at the small icon's size, which grows with the DPI.
    const int side = GetSystemMetrics(SM_CXSMICON);
    const bool redraw = !picture_ || look.mark != look_.mark || side != side_;
    if (!redraw && look.toolTip == look_.toolTip)
        return;  // nothing new: the shell is not bothered (Wine would show a pending balloon again)
    UniqueIcon old;
    if (redraw) {
        if (UniqueIcon drawn = MarkedIcon(instance_, side, look.mark)) {
            old = std::exchange(picture_, std::move(drawn));
            record_.hIcon = picture_.get();
            side_ = side;
        }
    }
    look_ = look;
    Fill(record_.szTip, look.toolTip);
    if (added_)
        shell_(NIM_MODIFY, record_);
    // The old picture goes only now, once the shell has taken its own copy of the new one.
}

void TrayIcon::ShowBalloon(const HostNotice& notice)
{
    if (!added_)
        return;
    NOTIFYICONDATAW balloon = record_;
    balloon.uFlags = NIF_INFO;
    Fill(balloon.szInfoTitle, notice.title);
    Fill(balloon.szInfo, notice.text);
    balloon.dwInfoFlags = notice.someSilent ? NIIF_WARNING : NIIF_INFO;
    shell_(NIM_MODIFY, balloon);
}

void TrayIcon::Remove()
{
    if (added_)
        shell_(NIM_DELETE, record_);
    added_ = false;
}

}  // namespace orvane2::win32
