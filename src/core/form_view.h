// SPDX-License-Identifier: MIT
#pragma once

#include "core/board.h"
#include "core/journal.h"
#include "core/menu.h"
#include "core/tray_report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane2 {

// Texts of the window that every front end shows the same way.
inline constexpr const char* kWindowCaption = "Монитор узлов";
inline constexpr const char* kTrayToolTip = "Монитор узлов активен";

// How long the window waits for a notification area that went away to come back
// before it puts its menu on the window and shows itself.
inline constexpr int kTrayReturnMs = 5000;

// Mouse message numbers that the tray icon's notifications carry: a button released
// over the icon.
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kRightButtonUp = 517;
inline constexpr int kMiddleButtonUp = 520;

enum class WindowShowState { Normal = 0, Minimized = 1, Maximized = 2 };

// One filter of the open-file dialog: what the user reads, and the pattern it stands for.
struct FileFilter {
    std::string description;  // "Конфиги Монитора(*.cfg)"
    std::string pattern;      // "*.cfg"
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // without the dot
};

// What the window shows and asks, implemented by each desktop front end with its own
// widgets. The window's behaviour (Form1) decides; the view only draws and asks.
class FormView {
public:
    virtual ~FormView() = default;

    // The outer height, in twips, that a window may take on the screen it will show on
    // (the screen's area less the desktop's panels); nothing when not known.
    virtual std::optional<int> AvailableHeight() const = 0;
    // Creates the widgets of the board's group boxes and host labels (elements 1 and
    // up; element 0 of each array is the hidden template), moves the status line, and
    // fits the window's outer height to board.WindowHeight. Positions are in twips. With
    // board.Viewport set, the boxes and labels lie in a vertically scrolling area of
    // that size at the top of the window, which keeps them at their places on the board.
    virtual void PlaceBoard(const Board& board) = 0;
    // Host label index (1 and up) takes the colour 0x00BBGGRR.
    virtual void SetLabelColor(int index, std::uint32_t bgr) = 0;
    // Host label index (1 and up) tells its state in words, one fact a line: as the
    // label's tooltip and as its description to screen readers.
    virtual void SetLabelDescription(int index, const std::string& text) = 0;
    virtual void SetStatusCaption(const std::string& caption) = 0;

    virtual WindowShowState ShowState() const = 0;
    // Shown, neither minimised nor maximised.
    virtual void Restore() = 0;
    // Hidden from the screen and the task bar, and recorded as minimised.
    virtual void HideMinimized() = 0;
    // Minimised but left on the task bar.
    virtual void Minimize() = 0;

    // Opens the menu (kMenuItems, in their order) with its right edge at the mouse
    // pointer. Its commands come back through Form1::RunMenuCommand.
    virtual void OpenPopupMenu() = 0;
    // Offers the same menu in a menu bar on the window, for a desktop without a
    // notification area. The board makes room for the bar as WithMenuBar reckons it.
    virtual void ShowMenuBar() = 0;
    // Takes the menu bar away again (a notification area has appeared), and the window
    // shrinks by its height: the window is then as it is when started with a tray.
    virtual void HideMenuBar() = 0;
    // Asks for an existing file; nothing when the user cancels.
    virtual std::optional<std::string> ChooseFile(const OpenFileRequest& request) = 0;

    // Puts the icon in the notification area with the given look, or keeps the one
    // already there (showing it again if the desktop lost it); true when the desktop has
    // a notification area now that holds it, false when it has none. Its clicks come
    // back through Form1::TrayNotification.
    // From the first call until RemoveTrayIcon the view watches the desktop, without
    // waking the program while nothing changes, and reports on the window's thread a
    // notification area that appears (Form1::TrayAppeared, within 2 s; a tray started
    // late or created again, as after an Explorer restart) or goes away
    // (Form1::TrayVanished). It never adds the icon on its own after a false answer:
    // Form1 calls again when told the tray appeared. An icon the view still holds may
    // dock again by itself in a tray that comes back.
    virtual bool AddTrayIcon(const TrayLook& look) = 0;
    // The icon's mark and tooltip from now on, for the icon there and any added later.
    // The mark is drawn over the program's icon at every size the tray asks for
    // (TrayMark::None: no mark). The tooltip's lines also reach screen readers where
    // the tray offers them (the item's tooltip or description).
    virtual void SetTrayLook(const TrayLook& look) = 0;
    // Removes the icon and stops watching the desktop; does nothing when none was added.
    virtual void RemoveTrayIcon() = 0;

    // Shows the notification without waiting: through the desktop's notification
    // service with the program's name and icon where one runs, else as a balloon at the
    // tray icon. A click on it comes back as Form1::NotificationClicked. Where neither
    // exists, nothing is shown.
    virtual void Notify(const HostNotice& notice) = 0;

    // One shot: calls Form1::TrayTimer_Timer once, intervalMs from now. Starting it
    // again while it runs starts it over; StopTrayTimer cancels it.
    virtual void StartTrayTimer(int intervalMs) = 0;
    virtual void StopTrayTimer() = 0;

    // Starts the check timer, which calls Form1::Timer1_Timer every intervalMs.
    virtual void StartTimer(int intervalMs) = 0;

    // Opens the journal's window (kJournalTitle) on page, or raises it when it is open:
    // there is never a second one. It is not modal. Its «Сохранить…» comes back as
    // Form1::journalSave_Click, and its closing («Закрыть» or the close box) as
    // Form1::JournalClosed. page outlives the window.
    virtual void ShowJournal(const JournalPage& page) = 0;
    // The page has changed (new entries, a host's day, the time of day): an open journal
    // window brings its table and its picture up to date now; a closed one does nothing.
    virtual void JournalChanged() = 0;
    // One shot: calls Form1::JournalTimer_Timer once, intervalMs from now. Starting it
    // again while it runs starts it over; StopJournalTimer cancels it.
    virtual void StartJournalTimer(int intervalMs) = 0;
    virtual void StopJournalTimer() = 0;
    // Asks where to save a file, with the desktop's save dialog; nothing when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const OpenFileRequest& request) = 0;
};

}  // namespace orvane2
