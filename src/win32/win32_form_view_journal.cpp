// SPDX-License-Identifier: MIT
// The board's window's part in the journal: its window, and the save dialog.
#include "core/form1.h"
#include "win32/file_dialog.h"
#include "win32/win32_form_view.h"
#include "win32/win32_form_view_ids.h"

namespace orvane2::win32 {

void Win32FormView::ShowJournal(const JournalPage& page)
{
    if (!journal_) {
        // The window traps what its handlers throw, as this one does.
        journal_ = std::make_unique<JournalWindow>(instance_, services_,
                                                   JournalWindow::Handlers{[this] {
                                                                               if (form_ != nullptr)
                                                                                   form_->journalSave_Click();
                                                                           },
                                                                           [this] {
                                                                               if (form_ != nullptr)
                                                                                   form_->JournalClosed();
                                                                           }});
    }
    journal_->Open(page);
}

void Win32FormView::JournalChanged()
{
    if (journal_)
        journal_->Update();
}

void Win32FormView::StartJournalTimer(int intervalMs)
{
    SetTimer(window_, kJournalTimerId, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1), nullptr);
}

void Win32FormView::StopJournalTimer()
{
    KillTimer(window_, kJournalTimerId);
}

std::optional<std::string> Win32FormView::ChooseSaveFile(const OpenFileRequest& request)
{
    // The dialog belongs to the journal's window when it asks from there, else to a
    // board that is shown.
    const HWND journal = journal_ ? journal_->Handle() : nullptr;
    return RunFileDialog(FileDialogKind::Save,
                         journal != nullptr         ? journal
                         : IsWindowVisible(window_) ? window_
                                                    : nullptr,
                         request);
}

}  // namespace orvane2::win32
