// SPDX-License-Identifier: MIT
#pragma once

#include "core/board.h"
#include "core/form_view.h"
#include "win32/journal_window.h"
#include "win32/label_descriptions.h"
#include "win32/scroll_area.h"
#include "win32/shell_watch.h"
#include "win32/tray_icon.h"
#include "win32/unique_handle.h"
#include "win32/win32_form_services.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orvane2 {
class Form1;
}

namespace orvane2::win32 {

// The program's one window on the Windows API: group boxes are BS_GROUPBOX buttons and
// host labels STATIC controls, both placed from the board's twips at the window's DPI,
// on the window itself or, for a board taller than the screen, in a scroll area.
// It draws and asks; every decision is Form1's, which it calls back for the timer, the
// tray icon, the menu commands and the close box. Its member functions lie in files by
// job: win32_form_view.cpp (the window's life), board_placement.cpp, command_menu.cpp,
// file_dialog.cpp, tray_icon_view.cpp and window_procedure.cpp.
class Win32FormView final : public FormView {
public:
    // Exceptions raised by the window's behaviour inside a window procedure go to the
    // services, which raise them again outside of the system's frames.
    Win32FormView(HINSTANCE instance, Win32FormServices& services);
    ~Win32FormView() override;
    Win32FormView(const Win32FormView&) = delete;
    Win32FormView& operator=(const Win32FormView&) = delete;

    // Creates the window, hidden, with its client area at its first size and the status
    // line. False when the system refuses the window.
    bool Create();
    // Where the window's events go from now on.
    void Attach(Form1* form) { form_ = form; }
    // Shows the window in normal state, as loading completes.
    void Show();
    HWND Handle() const { return window_; }

    std::optional<int> AvailableHeight() const override;
    void PlaceBoard(const Board& board) override;
    void SetLabelColor(int index, std::uint32_t bgr) override;
    void SetLabelDescription(int index, const std::string& text) override;
    void SetStatusCaption(const std::string& caption) override;
    WindowShowState ShowState() const override;
    void Restore() override;
    void HideMinimized() override;
    void Minimize() override;
    void OpenPopupMenu() override;
    void ShowMenuBar() override;
    void HideMenuBar() override;
    std::optional<std::string> ChooseFile(const OpenFileRequest& request) override;
    bool AddTrayIcon(const TrayLook& look) override;
    void SetTrayLook(const TrayLook& look) override;
    void RemoveTrayIcon() override;
    void Notify(const HostNotice& notice) override;
    void StartTrayTimer(int intervalMs) override;
    void StopTrayTimer() override;
    void StartTimer(int intervalMs) override;
    void ShowJournal(const JournalPage& page) override;
    void JournalChanged() override;
    void StartJournalTimer(int intervalMs) override;
    void StopJournalTimer() override;
    std::optional<std::string> ChooseSaveFile(const OpenFileRequest& request) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RunCommand(UINT command);
    // An event of the tray icon: a click on its balloon, else a mouse message.
    void TrayEvent(UINT event);

    // A rectangle in twips as pixels at the current DPI, from a corner in pixels.
    RECT PixelRect(const Rect& r, int originLeft, int originTop) const;
    RECT LabelRect(std::size_t index) const;
    // A child control of parent, in the current font.
    HWND CreateControl(HWND parent, const wchar_t* windowClass, const std::string& caption, DWORD style,
                       const RECT& rect) const;
    // Where the boxes and labels lie: the scroll area's content, else the window.
    HWND BoardParent() const;
    // The board as the window shows it: under the menu bar while there is one.
    Board Shown() const;
    // Puts every control at its place at the current DPI, in the current font.
    void LayOut();
    void UpdateFont();
    // Sets the window's outer height: the board's height when it is placed, else the
    // height of the first client area; a menu bar adds its own height. With a scroll
    // area the window is wider by the scroll bar, so that the bar covers no box.
    void FitHeight();
    // The scroll area over the top of the client area, at the current DPI.
    void PlaceScrollArea(const Board& shown);
    HMENU CreateCommandMenu() const;

    HINSTANCE instance_;
    Win32FormServices& services_;
    HWND window_ = nullptr;
    Form1* form_ = nullptr;
    UINT dpi_ = 96;
    UniqueGdiObject<HFONT> font_;
    UniqueIcon icon_;
    UniqueIcon smallIcon_;
    HMENU menuBar_ = nullptr;  // while the window shows its menu bar

    // As placed, with the labels' colours (0x00BBGGRR is a COLORREF); Shown() lays it under the bar.
    Board board_;
    std::vector<HWND> frames_;  // index 0 stands for the hidden template: no control
    std::vector<HWND> labels_;  // likewise
    HWND status_ = nullptr;
    std::unique_ptr<ScrollArea> scrollArea_;  // only for a board taller than the screen
    std::unique_ptr<LabelDescriptions> descriptions_;

    bool hiddenMinimized_ = false;
    bool trayWatched_ = false;  // from AddTrayIcon to RemoveTrayIcon
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<ShellWatch> shellWatch_;  // while the shell holds the icon
    // Sent to every top-level window when the shell's notification area is created
    // (Explorer started late or again): an icon lost or never added can be added now.
    UINT taskbarCreated_ = 0;
    std::unique_ptr<JournalWindow> journal_;  // from the first ShowJournal on
};

}  // namespace orvane2::win32
