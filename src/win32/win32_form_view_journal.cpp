// SPDX-License-Identifier: MIT
// The board's window's part in the journal: its window, and the save dialog.
#include "core/form1.h"
#include "win32/wide_text.h"
#include "win32/win32_form_view.h"

#include <commdlg.h>

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

std::optional<std::string> Win32FormView::ChooseSaveFile(const OpenFileRequest& request)
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

    // The dialog belongs to the journal's window when it asks from there, else to a
    // board that is shown.
    const HWND journal = journal_ ? journal_->Handle() : nullptr;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = journal != nullptr ? journal : IsWindowVisible(window_) ? window_ : nullptr;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The current directory stays the program's, where the restart script belongs.
    // The program tells a file it cannot write itself, naming it; the dialog does not try.
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_NOTESTFILECREATE;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return Narrow(file);
}

}  // namespace orvane2::win32
