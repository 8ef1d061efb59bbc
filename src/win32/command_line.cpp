// SPDX-License-Identifier: MIT
#include "win32/command_line.h"

#include <windows.h>
#include <shellapi.h>

namespace orvane2::win32 {

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

}  // namespace

std::wstring ArgumentTail(std::wstring_view commandLine)
{
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == L'"') {
        // A quoted program name runs to the next quote; no escapes inside it.
        ++i;
        while (i < commandLine.size() && commandLine[i] != L'"')
            ++i;
        if (i < commandLine.size())
            ++i;
    }
    while (i < commandLine.size() && !IsBlank(commandLine[i]))
        ++i;
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    return std::wstring(commandLine.substr(i));
}

std::wstring ConfigPathFromTail(const std::wstring& tail)
{
    if (tail.empty() || tail.front() != L'"')
        return tail;
    // CommandLineToArgvW reads its first word as a program name, by other rules: a
    // placeholder name goes first so that the tail is parsed as arguments.
    const std::wstring line = L"x " + tail;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(line.c_str(), &count);
    if (words == nullptr)
        return tail;
    std::wstring path = count == 2 ? std::wstring(words[1]) : tail;
    LocalFree(words);
    return path;
}

std::wstring QuoteArgument(std::wstring_view argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos)
        return std::wstring(argument);
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            // Backslashes before a quote are doubled, and the quote itself escaped.
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    // Backslashes before the closing quote are doubled so that it still closes.
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

std::wstring BuildCommandLine(std::wstring_view program, const std::vector<std::wstring>& arguments)
{
    // The program name is read up to its closing quote, without escapes; a Windows
    // path holds no quote, so plain quotes around it are enough.
    std::wstring line = L"\"" + std::wstring(program) + L"\"";
    for (const std::wstring& argument : arguments)
        line += L" " + QuoteArgument(argument);
    return line;
}

}  // namespace orvane2::win32
