// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/form_state.h"

#include <cstdint>
#include <string>

namespace orvane2 {

inline constexpr uint32_t kAliveColor = 0x008000;  // dark green, 0x00BBGGRR
inline constexpr uint32_t kDeadColor = 0x0000FF;   // red
inline constexpr int32_t kPingTimeoutMs = 1000;

std::string RecheckingStatus();
std::string DnsMessage(const std::string& hostName);
std::string IcmpNotPermittedMessage();

// Where the check cycle's changes to the board become visible: the window repaints the
// status line or a host label (its colour and its state in words) when told, and learns
// when every host of a cycle is known.
class BoardSurface {
public:
    virtual ~BoardSurface() = default;
    virtual void StatusCaptionChanged() = 0;
    virtual void HostChecked(int index) = 0;
    // The last host of the cycle is known and the status line cleared.
    virtual void CycleFinished() {}
};

// The periodic check: every host in file order is resolved and sent one echo, and its
// label coloured dark green (answered) or red (not, or its name did not resolve). Each
// lookup and echo waits off the window's thread, so the window keeps answering while
// it does; a failed lookup is reported in a box that does not hold up the cycle.
class CheckCycle {
public:
    CheckCycle(FormState& state, FormServices& services, BoardSurface& surface);

    // One tick of the check timer: lets pending window events run, then checks all
    // hosts. A tick that falls due while a cycle is running (while it waits for a probe,
    // or inside its event pump) does nothing.
    void Timer1_Timer();
    bool Running() const { return running_; }

private:
    void CheckAll();
    // Probes CurrentHost and records what it found for host index.
    void CheckHost(int index);
    void SetStatus(const std::string& caption);
    // Says once per run why every host is red when the system lets the program send
    // no ICMP at all.
    void ReportIcmpRefused();

    FormState& state_;
    FormServices& services_;
    BoardSurface& surface_;
    bool running_ = false;
    bool icmpRefusalReported_ = false;
};

}  // namespace orvane2
