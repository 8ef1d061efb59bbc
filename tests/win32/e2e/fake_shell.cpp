// SPDX-License-Identifier: MIT
// Plays the Windows shell for the program under test. "announce" broadcasts
// TaskbarCreated, as a new shell does; "balloon-click" sends the icon's message for a
// click on its balloon, which Wine does not send; "texts" prints what Wine's shell shows
// in its balloons and tooltips until killed. "refuse" and "take" put a notification
// area of their own before Wine's until killed: one that refuses every icon (a shell not
// ready yet at logon), or one that is announced and takes every icon, printing "took" for
// each (a shell that will die); both print "ready" once they are there. Exit status 0
// when the shell or the window took the call.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

bool takes = false;

LRESULT CALLBACK Tray(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, wParam, lParam);
    if (takes && reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == NIM_ADD)
        std::puts("took"), std::fflush(stdout);
    return takes;
}

int Announce()
{
    return !PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

// Prints each new text that the shell's balloons and tooltips show (not the tooltips of
// the program's window), as "balloon TEXT" or "tip TEXT", a text's lines joined by " / ".
[[noreturn]] void PrintTexts()
{
    std::wstring last[2];
    for (;; Sleep(100)) {
        for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));) {
            wchar_t text[512] = {}, owner[16] = {};
            GetClassNameW(GetWindow(tip, GW_OWNER), owner, std::size(owner));
            const bool balloon = (GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON) != 0;
            if (!IsWindowVisible(tip) || std::wstring_view(owner) == L"Orvane2Form" ||
                !SendMessageTimeoutW(tip, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                     1000, nullptr) ||
                text[0] == 0 || last[balloon] == text)
                continue;
            last[balloon] = text;
            std::wstring line = (balloon ? L"balloon " : L"tip ") + last[balloon];
            for (std::size_t at = 0; (at = line.find(L'\n', at)) != std::wstring::npos;)
                line.replace(at, 1, L" / ");
            char utf8[2048] = {};
            WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
            std::puts(utf8), std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string_view step = argc == 2 ? argv[1] : "";
    if (step == "announce")
        return Announce();
    if (step == "texts")
        PrintTexts();
    if (step == "balloon-click")  // the icon's message, as the program asks for it
        return !PostMessageW(FindWindowW(nullptr, L"Монитор узлов"), WM_APP + 1, 0,
                             MAKELPARAM(NIN_BALLOONUSERCLICK, 1));
    if (step != "refuse" && step != "take")
        return 2;
    takes = step == "take";
    WNDCLASSW trayClass{};
    trayClass.lpfnWndProc = Tray;
    trayClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&trayClass);
    // Topmost, it lies before Wine's own area, which may come with the desktop after it.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                    nullptr, nullptr);
    std::puts("ready"), std::fflush(stdout);
    if (takes)
        Announce();
    for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;)
        DispatchMessageW(&message);
    return 0;
}
