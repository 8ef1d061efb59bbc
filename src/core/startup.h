// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/form_state.h"

#include <functional>
#include <memory>
#include <string>

namespace orvane2 {

inline constexpr const char* kDefaultConfigPath = "vantor2.cfg";
inline constexpr const char* kRestartScript = "restart.bat";

std::string MissingConfigMessage(const std::string& path);
std::string MissingIntervalMessage();

// The parts of start-up that belong to the running window rather than to the board.
struct StartupHooks {
    std::function<std::unique_ptr<HostProbe>()> createProbe;  // the one probe of the window
    std::function<void()> placeBoard;                         // the board sized: show it
    std::function<void()> addIcon;                            // the tray icon, added last
};

// The window's load sequence: removes a left-over restart script, settles the
// configuration path (the whole argument string, or the default file), refuses a
// missing or unreachable file, reads the configuration, settles the check interval,
// creates the probe, sizes the window and adds the tray icon. Ends the program (exit
// code 1) when the configuration is unusable.
void Form_Load(FormState& state, FormServices& services, const std::string& argumentString, const StartupHooks& hooks);

}  // namespace orvane2
