#pragma once

#include "window/form_services.h"

namespace orvane2 {

// The two lines of the restart script for a chosen configuration file.
QStringList RestartScriptLines(const QString& chosenPath);

// Hands the program over to a fresh process on the chosen configuration: writes the
// restart script anew in the current directory, then starts the program's own
// executable directly with the chosen path as its one argument. The script is not run:
// its second line carries the path unquoted, and a shell would take characters such as
// & or ; in it for commands. The new process deletes the script when it starts.
bool RestartOn(FormServices& services, const QString& chosenPath, const QString& executable);

}  // namespace orvane2
