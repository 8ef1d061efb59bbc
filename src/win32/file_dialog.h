// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_view.h"

#include <windows.h>

#include <optional>
#include <string>

namespace orvane2::win32 {

// The common dialog for a file: one that exists (Open), or one to write, asking before
// it replaces one (Save). Null for no owner. The chosen path, or nothing when cancelled.
enum class FileDialogKind { Open, Save };
std::optional<std::string> RunFileDialog(FileDialogKind kind, HWND owner, const OpenFileRequest& request);

}  // namespace orvane2::win32
