// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvane2::win32 {

// Reads a text file in chunks of a mebibyte, never holding it whole, and hands it to
// take piece by piece as UTF-8, no character split between two pieces. A first pass
// checks whether the whole file is UTF-8 (it stops at the first byte that is not); the
// second hands the bytes over as they are when it is, else decoded from Windows-1251. A
// leading UTF-8 byte-order mark is dropped either way. False when the file cannot be
// opened or a read fails.
bool ReadTextFile(const std::wstring& path, const std::function<void(std::string_view)>& take);

}  // namespace orvane2::win32
