// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane2 {

// What the last Ping found, in the terms its caller acts on: the host answered, it did
// not (silence, an ICMP error about the request, any failure of the echo), or the
// system refuses this program ICMP altogether, so that no host can answer.
// A batch adds CheckFailed: the host could not be checked at all for want of a resource
// (a thread for its lookup, a socket), which HostReport::failure names; the next batch
// tries again.
enum class PingOutcome { Answered, NoAnswer, NotPermitted, CheckFailed };

// What one host's check in a batch found: its name resolved as Resolve would resolve
// it, then, when that succeeded, one echo request with no payload.
struct HostReport {
    std::size_t host = 0;                         // the host's place in the batch's list, from 0
    std::int32_t resolveResult = 0;               // as Resolve returns it: 0, or a failed lookup
    std::string address;                          // the dotted address pinged; empty unless resolved
    PingOutcome outcome = PingOutcome::NoAnswer;  // of the echo; NoAnswer unless resolved
    std::int32_t roundTripMs = 0;                 // of the answer; 0 unless answered
    std::string failure;                          // what was missing; only for CheckFailed
};

// What the check cycle needs from a host probe: resolve a configured name to a
// dotted IPv4 address, then send that address one ICMP echo; or both for every host of
// a cycle at once. The three public fields report how the last failing Ping went (see
// PingIPv4); batches leave them alone.
class HostProbe {
public:
    using ReportSink = std::function<void(const HostReport&)>;

    // Stops a running batch: hosts not yet reported are never reported, and report is
    // not called once the destructor has returned (it may wait for a name lookup in
    // progress to end).
    virtual ~HostProbe() = default;

    // 0 on success with IP written; any other value is a failed lookup.
    virtual int32_t Resolve(const std::string& NameOrIP, std::string& IP) = 0;
    // True when the address answered one echo request within TimeoutMS.
    virtual bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) = 0;

    // Checks every host of names at once and returns without waiting. Dotted addresses
    // are pinged at once, in the order of names; names are looked up concurrently, each
    // lookup with the system's own timeout, and pinged as soon as they resolve. Each echo
    // request waits for its answer until TimeoutMS after it was sent. report is called
    // exactly once per host, the moment its outcome is known, in whatever order the
    // outcomes come: from a thread of the probe's own (never the caller's), one call at a
    // time. The batch is over once every host has been reported. A batch started while
    // the last one is still running waits until that one is over. Nothing escapes from a
    // batch's threads: a host that could not be checked for want of a resource (a thread
    // for its lookup, the echo service's socket) is reported CheckFailed, and the next
    // batch tries again. Throws std::system_error, with no host reported, when the
    // batch's own thread cannot be started.
    virtual void StartBatch(std::vector<std::string> names, int32_t TimeoutMS, ReportSink report) = 0;

    // What the last Ping found; NoAnswer before the first.
    PingOutcome LastOutcome() const { return lastOutcome_; }

    int32_t Reason = 0;
    int32_t Status = 0;
    int32_t RoundTripTime = 0;

protected:
    PingOutcome lastOutcome_ = PingOutcome::NoAnswer;
};

}  // namespace orvane2
