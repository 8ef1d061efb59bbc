// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace orvane2 {

// What the last Ping found, in the terms its caller acts on: the host answered, it did
// not (silence, an ICMP error about the request, any failure of the echo), or the
// system refuses this program ICMP altogether, so that no host can answer.
enum class PingOutcome { Answered, NoAnswer, NotPermitted };

// What the check cycle needs from a host probe: resolve a configured name to a
// dotted IPv4 address, then send that address one ICMP echo. The three public
// fields report how the last failing Ping went (see PingIPv4).
class HostProbe {
public:
    virtual ~HostProbe() = default;

    // 0 on success with IP written; any other value is a failed lookup.
    virtual int32_t Resolve(const std::string& NameOrIP, std::string& IP) = 0;
    // True when the address answered one echo request within TimeoutMS.
    virtual bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) = 0;

    // What the last Ping found; NoAnswer before the first.
    PingOutcome LastOutcome() const { return lastOutcome_; }

    int32_t Reason = 0;
    int32_t Status = 0;
    int32_t RoundTripTime = 0;

protected:
    PingOutcome lastOutcome_ = PingOutcome::NoAnswer;
};

}  // namespace orvane2
