// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"
#include "win32/day_strips.h"
#include "win32/unique_handle.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace orvane2::win32 {

class Win32FormServices;

// The journal's window (kJournalTitle), a top-level window of its own beside the board,
// never modal: the entries in a report list view that asks for the rows it draws (a
// virtual list, so that 10,000 rows cost no more than the few shown), a note on dropped
// entries, each host's day as a strip, and «Сохранить…» and «Закрыть». At most one is
// open; it draws the page it was opened on and passes its buttons on.
class JournalWindow {
public:
    struct Handlers {
        std::function<void()> save;    // «Сохранить…»
        std::function<void()> closed;  // the window has closed and is gone
    };
    // Exceptions raised by the handlers or the page inside the window procedure go to the
    // services, which raise them again outside of the system's frames.
    JournalWindow(HINSTANCE instance, Win32FormServices& services, Handlers handlers);
    ~JournalWindow();  // destroys an open window without telling the handlers
    JournalWindow(const JournalWindow&) = delete;
    JournalWindow& operator=(const JournalWindow&) = delete;

    // Opens the window on page, or brings the open one up to date and to the front.
    // page outlives the window. False when the system refuses the window.
    bool Open(const JournalPage& page);
    // The page has changed: an open window shows it as it is now; a closed one does nothing.
    void Update();
    HWND Handle() const { return window_; }  // null while closed

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Create();
    HWND CreateControl(const wchar_t* windowClass, const std::string& caption, DWORD style, int id);
    // Answers the list view's question for the text of a cell.
    void GiveCell(NMLVDISPINFOW& info);
    int Px(int pixelsAt96) const;
    void UpdateFont();
    void SizeColumns();
    void LayOut();

    HINSTANCE instance_;
    Win32FormServices& services_;
    Handlers handlers_;
    const JournalPage* page_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND note_ = nullptr;
    std::string noteText_;  // as the note shows it
    HWND save_ = nullptr;
    HWND close_ = nullptr;
    std::unique_ptr<DayStrips> strips_;
    UINT dpi_ = 96;
    int lineHeight_ = 16;  // a line of text in the window's font
    UniqueGdiObject<HFONT> font_;
    bool quiet_ = false;  // being destroyed by its owner: the handlers are not told

    // The cells of the row last asked for: the list view asks for a row cell by cell.
    std::size_t cachedRow_ = static_cast<std::size_t>(-1);
    std::array<std::wstring, kJournalColumns> cachedCells_;
};

}  // namespace orvane2::win32
