#pragma once

#include "probe/host_probe.h"
#include "window/board.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

namespace orvane2 {

inline constexpr int kMaxHosts = 255;         // HostNames has room for hosts 1 to 255
inline constexpr int kMaxGroups = INT16_MAX;  // group counter is 16-bit signed
inline constexpr int kDesignTimerInterval = 300;

// The window-level state that start-up, the reader, the board and the check cycle share.
struct FormState {
    std::unique_ptr<HostProbe> Pinger;
    QString ConfigPath;
    QString ConfigLine;
    QStringList LineWords;
    int16_t GroupCount = 0;
    int16_t HostCount = 0;
    int16_t TotalHosts = 0;
    std::array<QString, kMaxHosts + 1> HostNames;  // index 0 unused
    bool NewGroupPending = false;
    QString ResolvedIP;
    QString CurrentHost;
    bool HostAlive = false;

    Board board;
    int Timer1Interval = kDesignTimerInterval;  // milliseconds
};

}  // namespace orvane2
