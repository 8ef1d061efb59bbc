// SPDX-License-Identifier: MIT
#include "win32/command_line.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace orvane2::win32 {
namespace {

// The configuration path that the program reads from its command line: the whole tail
// after the program name, or the one argument that a shell or the configuration switch
// quoted, such as every argument BuildCommandLine quotes for a restart.
TEST(CommandLine, ThePathIsTheWholeTailOrTheOneQuotedArgument)
{
    std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"orvane2.exe", L""},
        {L"orvane2.exe   C:\\my dir\\lab.cfg", L"C:\\my dir\\lab.cfg"},
        {L"\"C:\\p q\\orvane2.exe\"\t\"a\" \"b\"", L"\"a\" \"b\""},
        {L"orvane2.exe a  b ", L"a  b "},
    };
    for (const wchar_t* argument :
         {L"C:\\a b\\x&y.cfg", L"a&b|c;d", L"", L"say \"hi\"", L"dir with\\\\", L"\\\"quoted\\\"", L"\t"})
        cases.emplace_back(BuildCommandLine(L"C:\\Program Files\\orvane2.exe", {argument}), argument);
    for (const auto& [line, path] : cases)
        EXPECT_EQ(ConfigPathFromTail(ArgumentTail(line)), path) << line;
}

}  // namespace
}  // namespace orvane2::win32
