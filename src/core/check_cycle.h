// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/form_state.h"

#include <cstdint>
#include <memory>
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

// The periodic check: every host is resolved and sent one echo, all at once, and each
// label coloured dark green (answered) or red (not, or its name did not resolve) the
// moment its outcome is known. The probe works on threads of its own; each outcome
// comes back to the window's thread as an event of its own and is applied there, so the
// window keeps answering while a cycle runs, and a box left open holds up nothing.
// A host the probe could not check for want of a resource (or every host, when the
// batch itself could not start) is red and says so in words; the program goes on.
class CheckCycle {
public:
    CheckCycle(FormState& state, FormServices& services, BoardSurface& surface);

    // One tick of the check timer: lets pending window events run, then checks all
    // hosts. A tick that falls due while a cycle is running (until the last host of the
    // cycle is known) does nothing.
    void Timer1_Timer();
    bool Running() const { return running_; }

private:
    void CheckAll();
    // Applies what the check of one host found: its record, its label, and what must be
    // said about it; the last host of the cycle ends it.
    void CheckHost(const HostReport& report);
    void SetStatus(const std::string& caption);
    // Says once per run why every host is red when the system lets the program send
    // no ICMP at all.
    void ReportIcmpRefused();

    FormState& state_;
    FormServices& services_;
    BoardSurface& surface_;
    bool running_ = false;
    int unknown_ = 0;  // hosts of the running cycle whose outcome has not come yet
    bool icmpRefusalReported_ = false;
    // Outcomes still queued for the window's thread when the cycle is gone are dropped:
    // they hold only a weak reference to this.
    std::shared_ptr<CheckCycle*> self_ = std::make_shared<CheckCycle*>(this);
};

}  // namespace orvane2
