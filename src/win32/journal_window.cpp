// SPDX-License-Identifier: MIT
#include "win32/journal_window.h"

#include "win32/dpi_fonts.h"
#include "win32/guarded_call.h"
#include "win32/resource.h"
#include "win32/virtual_list.h"
#include "win32/wide_text.h"
#include "win32/win32_form_services.h"
#include "win32/window_class.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace orvane2::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Orvane2Journal";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr int kListId = 1, kStripsId = 2, kSaveId = 3, kCloseId = 4, kNoteId = 5;

// Sizes in pixels at 96 dots per inch, scaled to the window's DPI.
constexpr int kClientWidth = 820, kClientHeight = 560;
constexpr int kMinWidth = 480, kMinHeight = 360;
constexpr int kMargin = 8, kButtonWidth = 100, kButtonHeight = 26;
constexpr int kMaxStripsShown = 8;  // more scroll in their box

// Whether a control shows when its window does.
bool Shows(HWND control)
{
    return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MoveTo(HWND control, int left, int top, int width, int height)
{
    if (control != nullptr)
        MoveWindow(control, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

}  // namespace

JournalWindow::JournalWindow(HINSTANCE instance, Win32FormServices& services, Handlers handlers)
    : instance_(instance), services_(services), handlers_(std::move(handlers))
{}

JournalWindow::~JournalWindow()
{
    quiet_ = true;
    if (window_ != nullptr)
        DestroyWindow(window_);
}

bool JournalWindow::Open(const JournalPage& page)
{
    page_ = &page;
    if (window_ == nullptr && !Create())
        return false;
    Update();
    if (IsIconic(window_))
        ShowWindow(window_, SW_RESTORE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return true;
}

bool JournalWindow::Create()
{
    // The list view comes from the common controls.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // Shared icons belong to the system, which frees them with the module.
    const auto icon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_RADAR), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    const auto smallIcon =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_RADAR), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterTopLevelClass(instance_, kWindowClass, WindowProc, icon, smallIcon))
        return false;

    dpi_ = SystemDpi();
    const RECT outer = OuterRectOfClient(Px(kClientWidth), Px(kClientHeight), kWindowStyle, dpi_);
    // No owner: the window has its own button on the task bar and stays when the board
    // hides in the tray.
    if (CreateWindowExW(0, kWindowClass, Widen(kJournalTitle).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance_,
                        this) == nullptr)
        return false;
    // The monitor the window landed on may have another DPI than the system's.
    const UINT landed = WindowDpi(window_);
    if (landed != dpi_) {
        dpi_ = landed;
        const RECT scaled = OuterRectOfClient(Px(kClientWidth), Px(kClientHeight), kWindowStyle, dpi_);
        SetWindowPos(window_, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    list_ = CreateControl(WC_LISTVIEWW, {},
                          WS_TABSTOP | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                          kListId);
    if (list_ == nullptr) {
        DestroyWindow(window_);
        return false;
    }
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    for (std::size_t c = 0; c < kJournalColumns; ++c) {
        std::wstring caption = Widen(kJournalColumnCaptions[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.cx = Px(kJournalColumnWidths[c]);
        column.iSubItem = static_cast<int>(c);
        SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    note_ = CreateControl(L"STATIC", {}, SS_LEFT | SS_NOPREFIX, kNoteId);
    strips_ = std::make_unique<DayStrips>(window_, instance_, kStripsId);
    save_ = CreateControl(L"BUTTON", kJournalSaveCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kSaveId);
    close_ = CreateControl(L"BUTTON", kJournalCloseCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kCloseId);
    UpdateFont();
    return true;
}

HWND JournalWindow::CreateControl(const wchar_t* windowClass, const std::string& caption, DWORD style, int id)
{
    const DWORD edge = windowClass == std::wstring_view(WC_LISTVIEWW) ? WS_EX_CLIENTEDGE : 0;
    return CreateWindowExW(edge, windowClass, Widen(caption).c_str(), WS_CHILD | style, 0, 0, 0, 0, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

void JournalWindow::Update()
{
    if (window_ == nullptr || page_ == nullptr)
        return;
    // The list asks for the rows it draws: only the count is set here, and the rows
    // shown are drawn again, as every row moves down by the new ones.
    cachedRow_ = static_cast<std::size_t>(-1);
    SetVirtualCount(list_, page_->RowCount());

    const std::string note = page_->DroppedNote();
    const bool noteWas = Shows(note_);
    if (note != noteText_) {
        SetWindowTextW(note_, Widen(note).c_str());
        ShowWindow(note_, note.empty() ? SW_HIDE : SW_SHOWNA);
        noteText_ = note;
    }

    const std::size_t stripsWere = strips_->Count();
    strips_->Show(page_->Strips(std::chrono::system_clock::now(), strips_->BarWidth()));
    const auto shown = [](std::size_t count) { return std::clamp<std::size_t>(count, 1, kMaxStripsShown); };
    if (noteWas == note.empty() || shown(stripsWere) != shown(strips_->Count()))
        LayOut();
}

void JournalWindow::GiveCell(NMLVDISPINFOW& info)
{
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0)
        return;
    item.pszText[0] = L'\0';
    // The page may have changed since the count was set: a row it no longer has stays empty.
    if (page_ == nullptr || item.iItem < 0 || item.iSubItem < 0 ||
        static_cast<std::size_t>(item.iSubItem) >= kJournalColumns ||
        static_cast<std::size_t>(item.iItem) >= page_->RowCount())
        return;
    const auto row = static_cast<std::size_t>(item.iItem);
    if (row != cachedRow_) {
        cachedRow_ = static_cast<std::size_t>(-1);
        const std::array<std::string, kJournalColumns> cells = page_->Row(row);
        for (std::size_t c = 0; c < kJournalColumns; ++c)
            cachedCells_[c] = Widen(cells[c]);
        cachedRow_ = row;
    }
    const std::wstring& cell = cachedCells_[static_cast<std::size_t>(item.iSubItem)];
    const std::size_t length = std::min(cell.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(cell.data(), length, item.pszText);
    item.pszText[length] = L'\0';
}

int JournalWindow::Px(int pixelsAt96) const
{
    return MulDiv(pixelsAt96, static_cast<int>(dpi_), 96);
}

void JournalWindow::UpdateFont()
{
    if (!strips_)
        return;
    // The font of message boxes at the window's DPI, as the board uses.
    UniqueGdiObject<HFONT> font = MessageFontAt(dpi_);
    const HFONT use = font.get();
    for (HWND control : {list_, strips_->Handle(), note_, save_, close_})
        if (control != nullptr)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(use), TRUE);
    TEXTMETRICW text{};
    const HDC dc = GetDC(window_);
    const HGDIOBJ old = SelectObject(dc, use);
    GetTextMetricsW(dc, &text);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    lineHeight_ = text.tmHeight + Px(4);
    strips_->SetRowHeight(text.tmHeight + Px(8));
    font_ = std::move(font);  // the old one only once no control uses it
    SizeColumns();
    LayOut();
}

void JournalWindow::SizeColumns()
{
    for (std::size_t c = 0; c < kJournalColumns; ++c)
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, c, Px(kJournalColumnWidths[c]));
}

void JournalWindow::LayOut()
{
    if (!strips_)
        return;  // the window is being made: its controls come next
    RECT client{};
    GetClientRect(window_, &client);
    const int margin = Px(kMargin), width = client.right - 2 * margin;
    int top = margin;
    if (Shows(note_)) {
        MoveTo(note_, margin, top, width, lineHeight_);
        top += lineHeight_ + margin / 2;
    }
    const int buttonTop = client.bottom - margin - Px(kButtonHeight);
    MoveTo(close_, client.right - margin - Px(kButtonWidth), buttonTop, Px(kButtonWidth), Px(kButtonHeight));
    MoveTo(save_, client.right - 2 * (margin + Px(kButtonWidth)), buttonTop, Px(kButtonWidth), Px(kButtonHeight));
    // The strips' box shows up to kMaxStripsShown of them; the list takes the rest.
    RECT row{};
    const int rowHeight = strips_->Count() > 0 && ListView_GetItemRect(strips_->Handle(), 0, &row, LVIR_BOUNDS)
                              ? static_cast<int>(row.bottom - row.top)
                              : lineHeight_;
    const int rows = static_cast<int>(std::clamp<std::size_t>(strips_->Count(), 1, kMaxStripsShown));
    const int stripsHeight = rows * rowHeight + 2 * GetSystemMetrics(SM_CYEDGE);
    const int stripsTop = buttonTop - margin - stripsHeight;
    MoveTo(strips_->Handle(), margin, stripsTop, width, stripsHeight);
    // Bars of another width take their strips merged to it.
    if (strips_->SizeColumns(width - 2 * GetSystemMetrics(SM_CXEDGE) - GetSystemMetrics(SM_CXVSCROLL)) && page_)
        strips_->Show(page_->Strips(std::chrono::system_clock::now(), strips_->BarWidth()));
    MoveTo(list_, margin, top, width, stripsTop - margin - top);
}

LRESULT CALLBACK JournalWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* journal = WindowOwner<JournalWindow>(window, message, lParam);
    if (journal == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE)
        journal->window_ = window;  // before CreateWindowExW returns it
    LRESULT result = 0;
    bool handled = false;
    CallGuarded(journal->services_, [&] {
        result = journal->HandleMessage(message, wParam, lParam);
        handled = true;
    });
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT JournalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = window_;
    switch (message) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW) {
                GiveCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return 0;
            }
            if (strips_ && header->hwndFrom == strips_->Handle())
                return strips_->Answer(*header);
            break;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kSaveId) {
                if (handlers_.save)
                    CallGuarded(services_, handlers_.save);
                return 0;
            }
            if ((HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCloseId) || LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(window_);
                return 0;
            }
            break;
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {Px(kMinWidth), Px(kMinHeight)};
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            MoveToSuggestedRect(window_, lParam);
            UpdateFont();
            return 0;
        }
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS)
                UpdateFont();
            break;
        case WM_NCDESTROY: {
            // The controls went with the window; the window object stays for the next opening.
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = list_ = note_ = save_ = close_ = nullptr;
            noteText_.clear();
            strips_.reset();
            cachedRow_ = static_cast<std::size_t>(-1);
            if (!quiet_ && handlers_.closed)
                CallGuarded(services_, handlers_.closed);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace orvane2::win32
