// SPDX-License-Identifier: MIT
#include "win32/win32_form_view.h"

#include "core/form1.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/win32_form_services.h"

#include <commctrl.h>
#include <commdlg.h>

#include <exception>

namespace orvane2::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Orvane2Form";
constexpr UINT kTrayMessage = WM_APP + 1;  // the tray icon's events
constexpr UINT kShellEnded = WM_APP + 2;   // the process that holds the tray has ended
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kTrayTimerId = 2;

// Menu item identifiers: kMenuItems[i] is kFirstMenuCommand + i.
constexpr UINT kFirstMenuCommand = 1;

// DPI functions of newer Windows versions, looked up at run time so that the program
// still starts where they are missing (there the system DPI applies).
template <typename Function>
Function User32Function(const char* name)
{
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

UINT SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int Px(int twips, UINT dpi)
{
    return layout::ToPixels(twips, static_cast<int>(dpi));
}

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;

void MoveTo(HWND control, const RECT& r)
{
    if (control != nullptr)
        MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

}  // namespace

Win32FormView::Win32FormView(HINSTANCE instance, Win32FormServices& services) : instance_(instance), services_(services)
{}

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

Win32FormView::~Win32FormView()
{
    RemoveTrayIcon();
    tray_.reset();
    descriptions_.reset();
    scrollArea_.reset();
    if (window_ != nullptr)
        DestroyWindow(window_);
    if (font_ != nullptr)
        DeleteObject(font_);
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
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = icon_.get();
    windowClass.hIconSm = smallIcon_.get();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    dpi_ = SystemDpi();
    const RECT outer = OuterRect(layout::kClientWidth, layout::kClientHeight);
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
    dpi_ = Dpi();
    UpdateFont();
    status_ = CreateControl(window_, L"STATIC", board_.StatusString.caption, WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                            PixelRect(board_.StatusString.rect, 0, 0));
    // Tooltip lines as wide as the window's first client area.
    descriptions_ = std::make_unique<LabelDescriptions>(window_, instance_, Px(layout::kClientWidth, dpi_));
    FitHeight();
    return status_ != nullptr;
}

void Win32FormView::Show()
{
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

UINT Win32FormView::Dpi() const
{
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window_ != nullptr) {
        const UINT dpi = getDpiForWindow(window_);
        if (dpi != 0)
            return dpi;
    }
    return SystemDpi();
}

RECT Win32FormView::OuterRect(int clientWidthTwips, int clientHeightTwips) const
{
    RECT rect{0, 0, Px(clientWidthTwips, dpi_), Px(clientHeightTwips, dpi_)};
    static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr)
        adjustForDpi(&rect, kWindowStyle, FALSE, 0, dpi_);
    else
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, 0);
    return rect;
}

void Win32FormView::UpdateFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    const BOOL found = forDpi != nullptr ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_)
                                         : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = found ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // deleting it later is harmless
    const auto apply = [font](HWND control) {
        if (control != nullptr)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    apply(status_);
    for (HWND frame : frames_)
        apply(frame);
    for (HWND label : labels_)
        apply(label);
    if (font_ != nullptr)
        DeleteObject(font_);
    font_ = font;
}

RECT Win32FormView::PixelRect(const Rect& r, int originLeft, int originTop) const
{
    const int left = originLeft + Px(r.left, dpi_);
    const int top = originTop + Px(r.top, dpi_);
    return {left, top, left + Px(r.width, dpi_), top + Px(r.height, dpi_)};
}

RECT Win32FormView::LabelRect(std::size_t index) const
{
    // A label inside a box counts its place from the box's corner, in the box's own
    // pixels: the same rounding as a control nested in another.
    const HostLabel& label = board_.Label1[index];
    const auto box = static_cast<std::size_t>(label.container);
    if (box > 0 && box < board_.Frame1.size())
        return PixelRect(label.rect, Px(board_.Frame1[box].rect.left, dpi_), Px(board_.Frame1[box].rect.top, dpi_));
    return PixelRect(label.rect, 0, 0);
}

HWND Win32FormView::CreateControl(HWND parent, const wchar_t* windowClass, const std::string& caption, DWORD style,
                                  const RECT& rect) const
{
    const HWND control =
        CreateWindowExW(0, windowClass, Widen(caption).c_str(), WS_CHILD | style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance_, nullptr);
    if (control != nullptr && font_ != nullptr)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

HWND Win32FormView::BoardParent() const
{
    return scrollArea_ ? scrollArea_->Content() : window_;
}

void Win32FormView::LayOut()
{
    PlaceScrollArea();
    MoveTo(status_, PixelRect(board_.StatusString.rect, 0, 0));
    for (std::size_t g = 1; g < frames_.size(); ++g)
        MoveTo(frames_[g], PixelRect(board_.Frame1[g].rect, 0, 0));
    for (std::size_t i = 1; i < labels_.size(); ++i)
        MoveTo(labels_[i], LabelRect(i));
}

int Win32FormView::Metric(int index) const
{
    static const auto metricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return metricsForDpi != nullptr ? metricsForDpi(index, dpi_) : GetSystemMetrics(index);
}

void Win32FormView::FitHeight()
{
    RECT window{};
    GetWindowRect(window_, &window);
    const RECT first = OuterRect(layout::kClientWidth, layout::kClientHeight);
    int height = board_.WindowHeight ? Px(*board_.WindowHeight, dpi_) : first.bottom - first.top;
    if (menuBar_ != nullptr && !scrollArea_)
        height += Metric(SM_CYMENU);
    const int width = scrollArea_ ? first.right - first.left + Metric(SM_CXVSCROLL) : window.right - window.left;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::PlaceScrollArea()
{
    if (!scrollArea_ || !board_.Viewport)
        return;
    RECT client{};
    GetClientRect(window_, &client);
    scrollArea_->Place(client.right, Px(board_.Viewport->height, dpi_), Px(board_.Viewport->contentHeight, dpi_),
                       Px(board_.Label1[0].rect.height, dpi_));
}

std::optional<int> Win32FormView::AvailableHeight() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor))
        return std::nullopt;
    // The work area leaves out the task bar and the other desktop bars.
    const long long pixels = monitor.rcWork.bottom - monitor.rcWork.top;
    return static_cast<int>(pixels * layout::kTwipsPerInch / dpi_);
}

void Win32FormView::PlaceBoard(const Board& board)
{
    board_ = board;
    if (board_.Viewport && !scrollArea_) {
        scrollArea_ = std::make_unique<ScrollArea>(window_, instance_);
        if (!scrollArea_->Created())
            scrollArea_.reset();  // then the window shows the top of the board
    }
    const HWND parent = BoardParent();
    // Every control is made at its place, in its font, in one call each: a board of 255
    // hosts is a few hundred controls. The labels drawn over a box are its siblings (a
    // STATIC inside a BUTTON would send its colour requests to the button), made before
    // the boxes: a sibling made later lies below, so the boxes never cover a label.
    for (std::size_t i = labels_.size(); i < board_.Label1.size(); ++i) {
        const HostLabel& label = board_.Label1[i];
        // SS_NOTIFY: the label takes the mouse, which its tooltip needs.
        labels_.push_back(CreateControl(parent, L"STATIC", label.caption,
                                        SS_LEFT | SS_NOPREFIX | SS_NOTIFY | (label.visible ? WS_VISIBLE : 0),
                                        LabelRect(i)));
    }
    for (std::size_t g = frames_.size(); g < board_.Frame1.size(); ++g) {
        const GroupBox& box = board_.Frame1[g];
        frames_.push_back(CreateControl(parent, L"BUTTON", box.caption, BS_GROUPBOX | (box.visible ? WS_VISIBLE : 0),
                                        PixelRect(box.rect, 0, 0)));
    }
    SetWindowTextW(status_, Widen(board_.StatusString.caption).c_str());
    MoveTo(status_, PixelRect(board_.StatusString.rect, 0, 0));
    FitHeight();
    PlaceScrollArea();
}

void Win32FormView::SetLabelColor(int index, std::uint32_t bgr)
{
    if (index < 1 || static_cast<std::size_t>(index) >= labels_.size())
        return;
    board_.Label1[static_cast<std::size_t>(index)].foreColor = bgr;
    InvalidateRect(labels_[static_cast<std::size_t>(index)], nullptr, TRUE);
}

void Win32FormView::SetLabelDescription(int index, const std::string& text)
{
    if (index < 1 || static_cast<std::size_t>(index) >= labels_.size() ||
        labels_[static_cast<std::size_t>(index)] == nullptr)
        return;
    descriptions_->Describe(labels_[static_cast<std::size_t>(index)], text);
}

void Win32FormView::SetStatusCaption(const std::string& caption)
{
    board_.StatusString.caption = caption;
    SetWindowTextW(status_, Widen(caption).c_str());
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

void Win32FormView::ShowMenuBar()
{
    if (menuBar_ != nullptr)
        return;
    menuBar_ = CreateMenu();
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(CreateCommandMenu()), Widen(kMenuCaption).c_str());
    SetMenu(window_, menuBar_);
    // The menu bar takes its height from the window, not from the board; a window already
    // as tall as the screen allows gives it room from the scrolling board instead.
    if (scrollArea_ && board_.Viewport) {
        menuRoom_ = Metric(SM_CYMENU) * layout::kTwipsPerInch / static_cast<int>(dpi_);
        board_.Viewport->height -= menuRoom_;
        board_.StatusString.rect.top -= menuRoom_;
        LayOut();
    }
    FitHeight();
}

void Win32FormView::HideMenuBar()
{
    if (menuBar_ == nullptr)
        return;
    SetMenu(window_, nullptr);
    DestroyMenu(menuBar_);  // and the menu in it
    menuBar_ = nullptr;
    // The scrolling board takes back the room it gave the bar.
    if (menuRoom_ != 0 && board_.Viewport) {
        board_.Viewport->height += menuRoom_;
        board_.StatusString.rect.top += menuRoom_;
        LayOut();
    }
    menuRoom_ = 0;
    FitHeight();
}

void Win32FormView::RunCommand(UINT command)
{
    if (form_ == nullptr || command < kFirstMenuCommand || command >= kFirstMenuCommand + kMenuItems.size())
        return;
    form_->RunMenuCommand(kMenuItems[command - kFirstMenuCommand].command);
}

std::optional<std::string> Win32FormView::ChooseFile(const OpenFileRequest& request)
{
    // Filters are pairs of NUL-ended strings, ended by one more NUL.
    std::wstring filter;
    for (const FileFilter& f : request.filters) {
        filter += Widen(f.description);
        filter.push_back(L'\0');
        filter += Widen(f.pattern);
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    const std::wstring title = Widen(request.title);
    const std::wstring extension = Widen(request.defaultExtension);
    std::wstring file(32768, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = IsWindowVisible(window_) ? window_ : nullptr;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The current directory stays the program's: the restart script and the next
    // process belong where the program was started.
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return Narrow(file);
}

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

void Win32FormView::StartTimer(int intervalMs)
{
    SetTimer(window_, kTimerId, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1), nullptr);
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
