// SPDX-License-Identifier: MIT
// Win32FormView's life: the window made and destroyed, shown, minimised, hidden and
// restored, and the check timer. The other jobs lie in files of their own: the board's
// controls (board_placement.cpp), the menu (command_menu.cpp), the open dialog
// (file_dialog.cpp), the tray icon (tray_icon_view.cpp) and the window's messages
// (window_procedure.cpp).
#include "win32/win32_form_view.h"

#include "win32/dpi_fonts.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/win32_form_view_ids.h"
#include "win32/window_class.h"

#include <commctrl.h>

namespace orvane2::win32 {

namespace {
constexpr wchar_t kWindowClass[] = L"Orvane2Form";
}  // namespace

Win32FormView::Win32FormView(HINSTANCE instance, Win32FormServices& services) : instance_(instance), services_(services)
{}

Win32FormView::~Win32FormView()
{
    RemoveTrayIcon();
    tray_.reset();
    descriptions_.reset();
    scrollArea_.reset();
    if (window_ != nullptr)
        DestroyWindow(window_);
}

bool Win32FormView::Create()
{
    // Tooltips come from the common controls, the rest from the system's standard classes.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    icon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_RADAR), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_RADAR), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (!RegisterTopLevelClass(instance_, kWindowClass, WindowProc, icon_.get(), smallIcon_.get()))
        return false;

    dpi_ = SystemDpi();
    const RECT outer = OuterRectAt(layout::kClientWidth, layout::kClientHeight, kWindowStyle, dpi_);
    window_ =
        CreateWindowExW(0, kWindowClass, Widen(kWindowCaption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance_, this);
    if (window_ == nullptr)
        return false;
    // Run as administrator, the window would not hear the announcement from Explorer, which
    // runs at the user's lower integrity level, unless it lets the message in.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    ChangeWindowMessageFilterEx(window_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    tray_ = std::make_unique<TrayIcon>(instance_, window_, kTrayMessage);
    shellWatch_ = std::make_unique<ShellWatch>(window_, kShellEnded);

    // The status line exists from the start, with its first caption; the templates of
    // the two control arrays stay hidden for ever and need no control.
    frames_.assign(1, nullptr);
    labels_.assign(1, nullptr);

    // The monitor the window landed on may have another DPI than the system's.
    dpi_ = WindowDpi(window_);
    UpdateFont();
    status_ = CreateControl(window_, L"STATIC", board_.StatusString.caption, WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                            PixelRect(board_.StatusString.rect, 0, 0));
    // Tooltip lines as wide as the window's first client area.
    descriptions_ = std::make_unique<LabelDescriptions>(window_, instance_, PixelsAt(layout::kClientWidth, dpi_));
    FitHeight();
    return status_ != nullptr;
}

void Win32FormView::Show()
{
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

WindowShowState Win32FormView::ShowState() const
{
    if (hiddenMinimized_ || IsIconic(window_))
        return WindowShowState::Minimized;
    if (IsZoomed(window_))
        return WindowShowState::Maximized;
    return WindowShowState::Normal;
}

void Win32FormView::Restore()
{
    hiddenMinimized_ = false;
    // Shows a hidden window and brings a minimised or maximised one back to normal.
    ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
}

void Win32FormView::HideMinimized()
{
    ShowWindow(window_, SW_HIDE);
    hiddenMinimized_ = true;
}

void Win32FormView::Minimize()
{
    ShowWindow(window_, SW_MINIMIZE);
}

void Win32FormView::StartTimer(int intervalMs)
{
    SetTimer(window_, kTimerId, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1), nullptr);
}

}  // namespace orvane2::win32
