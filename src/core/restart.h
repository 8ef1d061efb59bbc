// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"

#include <string>
#include <vector>

namespace orvane2 {

// The two lines of the restart script for a chosen configuration file.
std::vector<std::string> RestartScriptLines(const std::string& chosenPath);

// Hands the program over to a fresh process on the chosen configuration: writes the
// restart script anew in the current directory, then starts the program's own
// executable directly with the chosen path as its one argument. The script is not run:
// its second line carries the path unquoted, and a shell would take characters such as
// & or ; in it for commands. The new process deletes the script when it starts; when
// none could be started, the script is deleted here and the result is false.
bool RestartOn(FormServices& services, const std::string& chosenPath);

// Said when no new process could be started: this one goes on.
std::string RestartFailedMessage(const std::string& chosenPath);

}  // namespace orvane2
