// SPDX-License-Identifier: MIT
#include "core/form1.h"

#include "core/board_layout.h"
#include "core/restart.h"
#include "core/startup.h"
#include "core/unexpected_error.h"

#include <cmath>

namespace orvane2 {

namespace {

OpenFileRequest ConfigFileRequest()
{
    return {"Выберите другой конфиг", {{"Конфиги Монитора(*.cfg)", "*.cfg"}, {"Все файлы (*.*)", "*.*"}}, "cfg"};
}

constexpr int kJournalFollowMs = 250;      // after a check, before the journal's window follows
constexpr int kJournalMoveMs = 60 * 1000;  // the picture of the day moves on with the time

OpenFileRequest JournalFileRequest()
{
    return {kJournalSaveTitle, {{"CSV (*.csv)", "*.csv"}, {"Все файлы (*.*)", "*.*"}}, "csv"};
}

}  // namespace

Form1::Form1(FormServices& services, FormView& view)
    : services_(services), view_(view), cycle_(state_, services_, *this)
{
    services_.SetUnloadHandler([this] { Form_QueryUnload(); });
}

Form1::~Form1()
{
    services_.SetUnloadHandler({});
}

void Form1::Load(const std::string& argumentString, std::function<std::unique_ptr<HostProbe>()> createProbe)
{
    StartupHooks hooks;
    hooks.createProbe = std::move(createProbe);
    hooks.placeBoard = [this] {
        FitToScreen(state_.board, view_.AvailableHeight());
        view_.PlaceBoard(state_.board);
        for (int i = 1; i <= state_.TotalHosts; ++i)
            DescribeLabel(i);
    };
    hooks.addIcon = [this] { AddIcon(kTrayToolTip); };
    Form_Load(state_, services_, argumentString, hooks);
    journal_ = Journal(state_.TotalHosts);
    for (int i = 1; i <= state_.TotalHosts; ++i)
        hostTitles_.push_back(state_.board.Label1[i].caption + " (" + state_.HostNames[i] + ")");
    view_.StartTimer(state_.Timer1Interval);
}

void Form1::AddIcon(const std::string& ToolTip)
{
    try {
        trayDocked_ = view_.AddTrayIcon({report_.Look().mark, ToolTip});
        if (!trayDocked_) {
            LeaveTray();
        } else if (menuBarShown_) {
            menuBarShown_ = false;
            view_.HideMenuBar();
        }
    } catch (const std::exception& error) {
        ReportTrappedError(error);
    }
}

void Form1::LeaveTray()
{
    if (menuBarShown_)
        return;
    // Without a notification area the menu stays reachable from the window.
    menuBarShown_ = true;
    view_.ShowMenuBar();
    // Nothing else could bring back a window hidden to the tray.
    if (view_.ShowState() == WindowShowState::Minimized)
        view_.Restore();
}

void Form1::TrayAppeared()
{
    view_.StopTrayTimer();
    AddIcon(report_.Look().toolTip);
}

void Form1::TrayVanished()
{
    if (!trayDocked_)
        return;
    trayDocked_ = false;
    view_.StartTrayTimer(kTrayReturnMs);
}

void Form1::TrayTimer_Timer()
{
    if (!trayDocked_)
        LeaveTray();
}

void Form1::NotificationClicked()
{
    view_.Restore();
}

void Form1::TrayNotification(int code)
{
    Form_MouseMove(0, 0, static_cast<float>(code * layout::kTwipsPerPixel), 0.0f);
}

void Form1::Form_MouseMove(int /*Button*/, int /*Shift*/, float X, float /*Y*/)
{
    try {
        const long code = std::lround(X / static_cast<float>(layout::kTwipsPerPixel));
        if (code == kLeftButtonUp)
            ToggleWindow();
        else if (code == kRightButtonUp)
            view_.OpenPopupMenu();
    } catch (const std::exception& error) {
        ReportTrappedError(error);
    }
}

void Form1::ReportTrappedError(const std::exception& error)
{
    services_.MsgBox(error.what(), vbInformation, TrappedErrorTitle());
}

void Form1::ToggleWindow()
{
    if (view_.ShowState() == WindowShowState::Minimized)
        view_.Restore();
    else if (menuBarShown_)
        view_.Minimize();  // without a tray icon nothing could bring a hidden window back
    else
        view_.HideMinimized();
}

void Form1::Form_QueryUnload()
{
    view_.RemoveTrayIcon();
}

void Form1::Form_Close()
{
    services_.End(0);
}

void Form1::Timer1_Timer()
{
    cycle_.Timer1_Timer();
}

void Form1::RunMenuCommand(MenuCommand command)
{
    switch (command) {
        case MenuCommand::ShowHide:
            showhide_Click();
            return;
        case MenuCommand::Journal:
            journal_Click();
            return;
        case MenuCommand::ChangeConfig:
            changeconfig_Click();
            return;
        case MenuCommand::Exit:
            exit_Click();
            return;
    }
}

void Form1::showhide_Click()
{
    ToggleWindow();
}

void Form1::changeconfig_Click()
{
    const std::optional<std::string> chosen = view_.ChooseFile(ConfigFileRequest());
    if (!chosen)
        return;  // cancelled: keep running on the current configuration
    if (!RestartOn(services_, *chosen)) {
        services_.MsgBox(RestartFailedMessage(*chosen));
        return;  // nothing took over: keep running on the current configuration
    }
    services_.End(0);
}

void Form1::exit_Click()
{
    services_.End(0);
}

void Form1::journal_Click()
{
    journalOpen_ = true;
    view_.ShowJournal(journalPage_);
    if (!journalPending_)
        view_.StartJournalTimer(kJournalMoveMs);
}

void Form1::JournalClosed()
{
    journalOpen_ = journalPending_ = false;
    view_.StopJournalTimer();
}

void Form1::JournalTimer_Timer()
{
    journalPending_ = false;
    if (!journalOpen_)
        return;
    view_.JournalChanged();
    view_.StartJournalTimer(kJournalMoveMs);
}

void Form1::journalSave_Click()
{
    const std::optional<std::string> chosen = view_.ChooseSaveFile(JournalFileRequest());
    if (chosen && !services_.WriteWholeFile(*chosen, JournalCsv(journal_)))
        services_.MsgBox("Не удалось сохранить журнал в файл " + *chosen);
}

void Form1::StatusCaptionChanged()
{
    view_.SetStatusCaption(state_.board.StatusString.caption);
}

void Form1::HostChecked(int index)
{
    if (const std::optional<uint32_t>& color = state_.board.Label1[index].foreColor)
        view_.SetLabelColor(index, *color);
    DescribeLabel(index);
    JournalHost(index);
}

void Form1::JournalHost(int index)
{
    const HostLabel& label = state_.board.Label1[index];
    const HostCheck& check = state_.HostChecks[index];
    const std::string& group = state_.board.Frame1.at(static_cast<std::size_t>(label.container)).caption;
    journal_.Checked(index, check, group, label.caption, state_.HostNames[index], services_.Now());
    // Every check changes the host's day, if not its entries.
    if (journalOpen_ && !journalPending_) {
        journalPending_ = true;
        view_.StartJournalTimer(kJournalFollowMs);
    }
}

void Form1::CycleFinished()
{
    std::vector<WatchedHost> hosts;
    for (int i = 1; i <= state_.TotalHosts; ++i)
        hosts.push_back({state_.board.Label1[i].caption, state_.HostNames[i], state_.HostChecks[i].state});
    const std::optional<HostNotice> notice = report_.CycleFinished(hosts);
    view_.SetTrayLook(report_.Look());
    if (notice)
        view_.Notify(*notice);
}

void Form1::DescribeLabel(int index)
{
    view_.SetLabelDescription(index, DescribeHost(state_.HostNames[index], state_.HostChecks[index], services_.Now()));
}

}  // namespace orvane2
