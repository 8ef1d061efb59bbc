// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane2 {

// The process's argument string: everything after the program name, the arguments
// joined by single spaces, so that a path with blanks written unquoted arrives whole.
// Empty when nothing follows the program name.
std::string ArgumentString(int argc, const char* const* argv);

}  // namespace orvane2
