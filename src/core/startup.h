#pragma once

#include "window/form_services.h"
#include "window/form_state.h"

#include <functional>
#include <memory>

namespace orvane2 {

inline const QString kDefaultConfigPath = QStringLiteral("vantor2.cfg");
inline const QString kRestartScript = QStringLiteral("restart.bat");

QString MissingConfigMessage(const QString& path);
QString MissingIntervalMessage();

// The parts of start-up that belong to the running window rather than to the board.
struct StartupHooks {
    std::function<std::unique_ptr<HostProbe>()> createProbe;  // the one probe of the window
    std::function<void()> placeBoard;                          // the board sized: show it
    std::function<void()> addIcon;                             // the tray icon, added last
};

// The window's load sequence: removes a left-over restart script, settles the
// configuration path (the whole argument string, or the default file), refuses a
// missing file, reads the configuration, settles the check interval, creates the probe,
// sizes the window and adds the tray icon. Ends the program (exit code 1) when the
// configuration is unusable.
void Form_Load(FormState& state, FormServices& services, const QString& argumentString,
               const StartupHooks& hooks);

}  // namespace orvane2
