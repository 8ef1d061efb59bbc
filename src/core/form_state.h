// SPDX-License-Identifier: MIT
#pragma once

#include "core/board.h"
#include "core/host_check.h"
#include "probe/host_probe.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane2 {

inline constexpr int kMaxHosts = 255;   // HostNames has room for hosts 1 to 255
inline constexpr int kMaxGroups = 255;  // as many group boxes as the board may hold hosts
inline constexpr int kDesignTimerInterval = 300;

// The window-level state that start-up, the reader, the board and the check cycle share.
struct FormState {
    std::unique_ptr<HostProbe> Pinger;
    std::string ConfigPath;
    std::string ConfigLine;
    std::vector<std::string> LineWords;
    int16_t GroupCount = 0;
    int16_t HostCount = 0;  // hosts read so far
    int16_t TotalHosts = 0;
    std::array<std::string, kMaxHosts + 1> HostNames;  // index 0 unused
    bool NewGroupPending = false;
    std::array<HostCheck, kMaxHosts + 1> HostChecks;  // what each host's last check found; index 0 unused

    Board board;
    int Timer1Interval = kDesignTimerInterval;  // milliseconds
};

}  // namespace orvane2
