// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace orvane2 {

// The exit status of a program that ended on an error nothing else caught (EX_SOFTWARE
// of sysexits.h): neither 0 (an ordinary end) nor 1 (an unusable configuration).
inline constexpr int kUnexpectedErrorExit = 70;

// The title of every box that tells an error the program trapped: "Orvane2 - Монитор узлов".
std::string TrappedErrorTitle();
// What such a box says of an error: its description, or a generic one for an exception
// that is no std::exception.
std::string ErrorDescription(const std::exception_ptr& error);

// Runs the whole program and returns its exit status. An exception that escapes it is
// told (its description and TrappedErrorTitle(), in a modal box of the front end's) once
// everything the program made is gone (the window and its tray icon among it), and the
// status is then kUnexpectedErrorExit. Nothing escapes from here, not even from tell.
int RunToTheEnd(const std::function<int()>& program,
                const std::function<void(const std::string& description, const std::string& title)>& tell) noexcept;

}  // namespace orvane2
