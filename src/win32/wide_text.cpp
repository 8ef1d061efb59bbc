// SPDX-License-Identifier: MIT
#include "win32/wide_text.h"

#include <windows.h>

namespace orvane2::win32 {

std::wstring FromCodePage(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), count);
    return wide;
}

std::optional<std::string> ToCodePage(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    // UTF-8 holds every character; another code page is asked to say when it does not.
    BOOL lossy = FALSE;
    BOOL* lossyFlag = codePage == CP_UTF8 ? nullptr : &lossy;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int count = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, lossyFlag);
    if (count <= 0 || lossy)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), count, nullptr, nullptr);
    return bytes;
}

std::wstring Widen(std::string_view utf8)
{
    return FromCodePage(utf8, CP_UTF8);
}

std::string Narrow(std::wstring_view utf16)
{
    return ToCodePage(utf16, CP_UTF8).value_or(std::string());
}

}  // namespace orvane2::win32
