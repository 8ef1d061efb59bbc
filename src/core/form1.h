// SPDX-License-Identifier: MIT
#pragma once

#include "core/check_cycle.h"
#include "core/form_services.h"
#include "core/form_state.h"
#include "core/form_view.h"
#include "core/journal.h"
#include "core/tray_report.h"
#include "probe/host_probe.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace orvane2 {

// The program's one window, as behaviour: it loads the configuration, runs the check
// cycle on every timer tick, and answers the tray icon, the menu and the close box.
// What it shows goes to a FormView; what it asks of the desktop to FormServices.
class Form1 : private BoardSurface {
public:
    Form1(FormServices& services, FormView& view);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Runs the load sequence on the argument string, has the view place the board and
    // adds the tray icon last; the check timer starts only when loading has finished.
    void Load(const std::string& argumentString, std::function<std::unique_ptr<HostProbe>()> createProbe);

    // A click on the tray icon, as the mouse message number of the button released.
    // It reaches Form_MouseMove as a horizontal position in twips, as the tray icon's
    // notifications always have.
    void TrayNotification(int code);
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    // The view saw a notification area appear: the icon docks there, and a menu bar put
    // on the window for want of one goes, so that the window is as when started with a
    // tray (show/hide hides it to the tray).
    void TrayAppeared();
    // The view saw the notification area go away. If none is back within kTrayReturnMs,
    // TrayTimer_Timer puts the menu on the window and shows a hidden window, so that
    // the program stays reachable.
    void TrayVanished();
    void TrayTimer_Timer();
    // A click on a notification: the window is shown.
    void NotificationClicked();
    // Raised before the window unloads, whatever unloads it: removes the tray icon.
    void Form_QueryUnload();
    // The window's close box: the program ends.
    void Form_Close();

    void Timer1_Timer();
    // A command chosen from the menu, whichever of the menu's places it was chosen in.
    void RunMenuCommand(MenuCommand command);
    void showhide_Click();
    void changeconfig_Click();
    void exit_Click();
    // The journal's window: opened (or raised), its «Сохранить…», and its closing.
    void journal_Click();
    void journalSave_Click();
    void JournalClosed();
    // The open journal's window is brought up to date: a while after a check changed it, so
    // that the outcomes of one cycle, which come close together, cost one update; and
    // every minute, as its picture of the day moves on with the time.
    void JournalTimer_Timer();

    const FormState& State() const { return state_; }
    const Journal& JournalOfHosts() const { return journal_; }
    bool CycleRunning() const { return cycle_.Running(); }

private:
    // Adds the icon with the report's mark; without a notification area, the menu goes
    // on the window instead.
    void AddIcon(const std::string& ToolTip);
    // No notification area any longer: the menu goes on the window, which is shown.
    void LeaveTray();
    void ToggleWindow();
    void ReportTrappedError(const std::exception& error);

    void StatusCaptionChanged() override;
    void HostChecked(int index) override;
    // The icon takes the board's state, and the cycle's news become a notification.
    void CycleFinished() override;
    // The label's tooltip and screen-reader description: the host's state in words.
    void DescribeLabel(int index);
    // Folds the host's check into the journal; an open journal window is told.
    void JournalHost(int index);

    FormServices& services_;
    FormView& view_;
    FormState state_;
    CheckCycle cycle_;
    TrayReport report_;
    bool trayDocked_ = false;    // the icon is in a notification area
    bool menuBarShown_ = false;  // no notification area: the menu lives on the window
    // What happened to the hosts since start-up; a configuration switch is a new process
    // and so starts a fresh one.
    Journal journal_;
    std::vector<std::string> hostTitles_;  // "caption (host)", index 0 for host 1
    JournalPage journalPage_{journal_, hostTitles_};
    bool journalOpen_ = false;     // the journal's window is open
    bool journalPending_ = false;  // a check changed it since it was last brought up to date
};

}  // namespace orvane2
