// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane2::win32 {

// The command line after the program name and the blanks (spaces and tabs) that follow
// it, as the process received it. The program name ends, as for every Windows program,
// at the closing quote when it starts with one, else at the first blank.
std::wstring ArgumentTail(std::wstring_view commandLine);

// The configuration path that an argument tail stands for. The whole tail is the path,
// so that a path with blanks typed unquoted arrives whole. A tail that is exactly one
// quoted argument (the program started by a shell or by another program that quoted the
// path, as the configuration switch does) stands for that argument unquoted: a file
// name on Windows can hold no quote, so no real path is mistaken for a quoted one.
std::wstring ConfigPathFromTail(const std::wstring& tail);

// One argument quoted so that the standard parsing (CommandLineToArgvW and the C
// run-time's) gives it back unchanged: blanks and quotes inside it stay in it.
std::wstring QuoteArgument(std::wstring_view argument);

// The command line for a program and its arguments, each quoted as needed.
std::wstring BuildCommandLine(std::wstring_view program, const std::vector<std::wstring>& arguments);

}  // namespace orvane2::win32
