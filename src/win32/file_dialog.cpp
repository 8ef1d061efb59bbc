// SPDX-License-Identifier: MIT
// The common dialogs for a file to open or to save, and Win32FormView's open dialog.
#include "win32/file_dialog.h"

#include "win32/wide_text.h"
#include "win32/win32_form_view.h"

#include <commdlg.h>

namespace orvane2::win32 {

std::optional<std::string> RunFileDialog(FileDialogKind kind, HWND owner, const OpenFileRequest& request)
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

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The current directory stays the program's: the restart script and the next
    // process belong where the program was started.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (kind == FileDialogKind::Open) {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        if (!GetOpenFileNameW(&dialog))
            return std::nullopt;
    } else {
        // The program tells a file it cannot write itself, naming it; the dialog does not try.
        dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_NOTESTFILECREATE;
        if (!GetSaveFileNameW(&dialog))
            return std::nullopt;
    }
    file.resize(wcslen(file.c_str()));
    return Narrow(file);
}

std::optional<std::string> Win32FormView::ChooseFile(const OpenFileRequest& request)
{
    return RunFileDialog(FileDialogKind::Open, IsWindowVisible(window_) ? window_ : nullptr, request);
}

}  // namespace orvane2::win32
