// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace orvane2::win32 {

// The program keeps its text in UTF-8; the Windows API takes UTF-16. These convert at
// that boundary. Invalid UTF-8 becomes U+FFFD rather than failing.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace orvane2::win32
