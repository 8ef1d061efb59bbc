// SPDX-License-Identifier: MIT
#include "win32/command_line.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

namespace orvane2::win32 {
namespace {

// What the system's own parser makes of a command line.
std::vector<std::wstring> Parse(const std::wstring& line)
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> parsed(words, words + count);
    LocalFree(words);
    return parsed;
}

TEST(CommandLine, EveryArgumentComesBackAsItWasGiven)
{
    const std::vector<std::wstring> arguments = {
        L"C:\\a b\\x.cfg", L"a&b|c;d", L"", L"say \"hi\"", L"trailing\\", L"dir with\\\\", L"\\\"quoted\\\"", L"\t"};
    for (const std::wstring& argument : arguments) {
        const auto parsed = Parse(BuildCommandLine(L"C:\\Program Files\\orvane2.exe", {argument}));
        ASSERT_EQ(parsed.size(), 2u);
        EXPECT_EQ(parsed[0], L"C:\\Program Files\\orvane2.exe");
        EXPECT_EQ(parsed[1], argument);
    }
}

TEST(CommandLine, TheWholeTailIsThePathAndOneQuotedArgumentIsUnquoted)
{
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"orvane2.exe", L""},
        {L"orvane2.exe   C:\\my dir\\lab.cfg", L"C:\\my dir\\lab.cfg"},
        {L"\"C:\\Program Files\\orvane2.exe\" \"C:\\a b\\x&y.cfg\"", L"C:\\a b\\x&y.cfg"},
        {L"\"C:\\p q\\orvane2.exe\"\t\"a\" \"b\"", L"\"a\" \"b\""},
        {L"orvane2.exe a  b ", L"a  b "},
    };
    for (const auto& [line, path] : cases)
        EXPECT_EQ(ConfigPathFromTail(ArgumentTail(line)), path) << line.size();
}

}  // namespace
}  // namespace orvane2::win32
