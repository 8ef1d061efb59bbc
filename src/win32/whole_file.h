// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace orvane2::win32 {

// Writes bytes as the whole file at path, or nothing: into a new file beside it, flushed
// to the disk, which then takes the place of the file at path. False when any step fails;
// then the new file is gone and a file that was at path is as it was.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

}  // namespace orvane2::win32
