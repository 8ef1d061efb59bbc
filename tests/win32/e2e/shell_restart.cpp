// SPDX-License-Identifier: MIT
// Plays a restarted Explorer for the program under test. "lose" takes its tray icon (its
// window, identifier 1) away, as the old shell's end does; "announce" broadcasts
// TaskbarCreated, as the new shell does. Exit status 0 when the shell took the call.
#include <windows.h>
#include <shellapi.h>

#include <string_view>

int main(int argc, char** argv)
{
    const std::string_view step = argc == 2 ? argv[1] : "";
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = FindWindowW(nullptr, L"Монитор узлов");
    icon.uID = 1;
    if (step == "lose")
        return icon.hWnd != nullptr && Shell_NotifyIconW(NIM_DELETE, &icon) ? 0 : 1;
    if (step == "announce")
        return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0 : 1;
    return 2;
}
