// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane2::win32 {

// The program keeps its text in UTF-8; the Windows API takes UTF-16. These convert at
// that boundary. Invalid UTF-8 becomes U+FFFD rather than failing.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Bytes in a code page (CP_UTF8, 1251, CP_ACP...) as UTF-16.
std::wstring FromCodePage(std::string_view bytes, unsigned codePage);
// UTF-16 in a code page; nothing when some character has no form in it.
std::optional<std::string> ToCodePage(std::wstring_view text, unsigned codePage);

}  // namespace orvane2::win32
