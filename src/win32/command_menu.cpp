// SPDX-License-Identifier: MIT
// Win32FormView's menu, built from the core's items: the tray icon's popup menu, the
// window's menu bar, and the chosen item handed to Form1.
#include "win32/win32_form_view.h"

#include "core/form1.h"
#include "win32/wide_text.h"

namespace orvane2::win32 {

namespace {
// Menu item identifiers: kMenuItems[i] is kFirstMenuCommand + i.
constexpr UINT kFirstMenuCommand = 1;
}  // namespace

HMENU Win32FormView::CreateCommandMenu() const
{
    const HMENU menu = CreatePopupMenu();
    // An item's identifier is its place in the menu plus one: 0 means nothing chosen.
    for (std::size_t i = 0; i < kMenuItems.size(); ++i)
        AppendMenuW(menu, MF_STRING, kFirstMenuCommand + i, Widen(kMenuItems[i].caption).c_str());
    return menu;
}

void Win32FormView::OpenPopupMenu()
{
    const HMENU menu = CreateCommandMenu();
    POINT pointer{};
    GetCursorPos(&pointer);
    // The window must be in the foreground for the menu to close when the user clicks
    // elsewhere; the empty message afterwards lets it close at once (both as the
    // notification area's documentation asks).
    SetForegroundWindow(window_);
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                         pointer.x, pointer.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    // The chosen command runs before the menu call returns, as the menu's click handler.
    RunCommand(command);
}

// The menu bar takes its height from the window, not from the board; a window already
// as tall as the screen allows gives it room from the scrolling board instead (Shown).
void Win32FormView::ShowMenuBar()
{
    if (menuBar_ != nullptr)
        return;
    menuBar_ = CreateMenu();
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(CreateCommandMenu()), Widen(kMenuCaption).c_str());
    SetMenu(window_, menuBar_);
    LayOut();
    FitHeight();
}

// The board takes back the room it gave the bar.
void Win32FormView::HideMenuBar()
{
    if (menuBar_ == nullptr)
        return;
    SetMenu(window_, nullptr);
    DestroyMenu(menuBar_);  // and the menu in it
    menuBar_ = nullptr;
    LayOut();
    FitHeight();
}

void Win32FormView::RunCommand(UINT command)
{
    if (form_ == nullptr || command < kFirstMenuCommand || command >= kFirstMenuCommand + kMenuItems.size())
        return;
    form_->RunMenuCommand(kMenuItems[command - kFirstMenuCommand].command);
}

}  // namespace orvane2::win32
