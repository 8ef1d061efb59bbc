// SPDX-License-Identifier: MIT
#pragma once

#include "core/check_cycle.h"
#include "core/form_services.h"
#include "core/form_state.h"
#include "core/form_view.h"
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
    // Raised before the window unloads, whatever unloads it: removes the tray icon.
    void Form_QueryUnload();
    // The window's close box: the program ends.
    void Form_Close();

    void Timer1_Timer();
    void showhide_Click();
    void changeconfig_Click();
    void exit_Click();

    const FormState& State() const { return state_; }
    bool CycleRunning() const { return cycle_.Running(); }

private:
    void AddIcon(const std::string& ToolTip);
    void ToggleWindow();
    void ReportTrappedError(const std::exception& error);

    void StatusCaptionChanged() override;
    void HostChecked(int index) override;
    // The label's tooltip and screen-reader description: the host's state in words.
    void DescribeLabel(int index);

    FormServices& services_;
    FormView& view_;
    FormState state_;
    CheckCycle cycle_;
    bool menuBarShown_ = false;  // no notification area: the menu lives on the window
};

}  // namespace orvane2
