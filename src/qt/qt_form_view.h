// SPDX-License-Identifier: MIT
#pragma once

#include "core/form1.h"
#include "core/form_view.h"
#include "qt/desktop_notifier.h"
#include "qt/journal_window.h"
#include "qt/tray_watch.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

namespace orvane2 {

// The window on Qt Widgets: a column of group boxes with one label per host, the status
// line under them, the check timer, the tray icon and its menu, and the desktop's
// notifications. It only draws and asks; every decision is Form1's, to which it passes
// the timer's ticks, the tray icon's clicks, the tray's comings and goings, clicks on
// notifications, the menu's commands and the close box.
class QtFormView final : public QWidget, public FormView {
public:
    QtFormView();
    ~QtFormView() override;

    // The behaviour this window reports to; set once, before loading.
    void Bind(Form1& form) { form_ = &form; }

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

    // The widgets, for tests: element 0 of each array is the hidden template.
    QGroupBox* Frame1(int index) const { return frames_.at(index); }
    QLabel* Label1(int index) const { return labels_.at(index); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int LabelCount() const { return static_cast<int>(labels_.size()); }
    QLabel* StatusString() const { return status_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    QSystemTrayIcon* TrayIcon() const { return tray_.get(); }
    JournalWindow* Journal() const { return journal_.get(); }  // once opened

protected:
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMenu& Menu();
    int MenuBarHeight() const { return menuBar_ ? menuBar_->height() : 0; }  // pixels
    // The board as placed, with room made for the menu bar if one is shown.
    Board UnderMenuBar() const;
    void FitOuterHeight();
    void ShowInScroller(const ScrollViewport& viewport);
    void MakeTrayIcon();
    // Tells Form1 when the notification area appears or goes away.
    void TrayChanged();

    Form1* form_ = nullptr;
    QWidget* client_ = nullptr;        // holds the board and the status line; moves down when a menu bar is shown
    QWidget* board_ = nullptr;         // the boxes and labels, at their places on the board
    QScrollArea* scroller_ = nullptr;  // only for a board taller than the screen
    QLabel* status_ = nullptr;
    std::vector<QGroupBox*> frames_;
    std::vector<QLabel*> labels_;
    QTimer Timer1;
    QTimer trayTimer_;
    QTimer journalTimer_;
    QMenu* menu = nullptr;  // made when first opened: most runs never open it
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<TrayWatch> trayWatch_;   // from the first AddTrayIcon to RemoveTrayIcon
    bool trayPresent_ = false;               // as last told to Form1
    std::unique_ptr<QSystemTrayIcon> tray_;  // made once a notification area exists
    TrayMark iconMark_ = TrayMark::None;     // the mark the icon is drawn with
    TrayLook look_;
    DesktopNotifier notifier_;
    bool menuExported_ = false;  // the tray host draws the icon's menu itself
    Board placed_;               // as Form1 placed it, with no menu bar
    int fittedDecoration_ = -1;
    std::unique_ptr<JournalWindow> journal_;  // made when first opened, then kept
};

}  // namespace orvane2
