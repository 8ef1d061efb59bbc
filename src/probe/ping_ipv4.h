// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "probe/host_probe.h"
#include "probe/probe_platform.h"

namespace orvane2 {

class HostBatches;

// Resolves a host name or dotted address to a dotted IPv4 address and sends one
// ICMP echo request to an address, reporting through return values and the
// public fields of HostProbe:
//   Reason        why the last failing Ping failed: 1 IP is not a dotted address,
//                 2 the echo service could not be opened, 3 no echo reply (timeout,
//                 send failure or an ICMP error about the request), 4 the echo
//                 service could not be closed. Kept across later successes.
//   Status        0 at the start of every Ping; the error code of the failed step
//                 for Reasons 2, 3 and 4 (Windows IP status numbers for Reason 3).
//   RoundTripTime milliseconds of the last echo reply received.
// Nothing else is kept between calls: every Ping opens and closes its own echo
// handle and every name lookup starts and cleans up the sockets library. Batches run
// on threads and platforms of their own (HostBatches) and leave the fields alone.
class PingIPv4 final : public HostProbe {
public:
    static constexpr std::int32_t kDefaultTimeoutMS = 1000;
    // The payload size travels as a signed 16-bit count.
    static constexpr std::size_t kMaxDataSize = 32767;

    static constexpr std::int32_t kReasonNotAnAddress = 1;
    static constexpr std::int32_t kReasonOpenFailed = 2;
    static constexpr std::int32_t kReasonNoReply = 3;
    static constexpr std::int32_t kReasonCloseFailed = 4;

    // Uses this machine's network services.
    PingIPv4();
    explicit PingIPv4(std::unique_ptr<ProbePlatform> platform);
    ~PingIPv4() override;
    PingIPv4(const PingIPv4&) = delete;
    PingIPv4& operator=(const PingIPv4&) = delete;

    // Sends one echo request with Data as payload to the dotted address IP (used as
    // given, not trimmed) and waits up to TimeoutMS for its reply. True only when an
    // echo reply came and the echo handle was closed cleanly. Throws
    // std::overflow_error, without sending, when Data exceeds kMaxDataSize bytes.
    bool Ping(const std::string& IP, std::int32_t TimeoutMS, const std::string& Data) override;
    bool Ping(const std::string& IP, std::int32_t TimeoutMS);
    bool Ping(const std::string& IP);

    // Strips leading and trailing spaces (U+0020 only) from NameOrIP. Text that
    // already is a dotted address is returned in IP as it stands; otherwise the name
    // is looked up and IP receives the dotted form of its first address. Returns 0
    // on success; any failure returns non-zero and leaves IP as it was, except a
    // failing clean-up after a successful lookup, which writes IP and still returns
    // the clean-up's error.
    std::int32_t Resolve(const std::string& NameOrIP, std::string& IP) override;

    // Resolves and pings on threads of its own, with a platform of its own each (see
    // HostProbe::StartBatch); the fields above are left alone.
    void StartBatch(std::vector<std::string> names, std::int32_t TimeoutMS, ReportSink report) override;

private:
    // Ping's steps; Ping adds what they found as an outcome.
    bool Echo(const std::string& IP, std::int32_t TimeoutMS, const std::string& Data);

    std::unique_ptr<ProbePlatform> platform_;
    std::unique_ptr<HostBatches> batches_;  // from the first batch on
};

// Resolve's steps on the given platform, for the threads of a batch, which each have a
// platform of their own.
std::int32_t ResolveOn(ProbePlatform& platform, const std::string& NameOrIP, std::string& IP);
// What an echo service that could not be opened means to the caller, for Ping and the
// batch alike: NotPermitted where the system refuses this program ICMP (RefusesIcmp of
// the open's error), else NoAnswer. Whether an echo was answered is EchoStatus's rule.
PingOutcome OutcomeWithoutEcho(const ProbePlatform& platform, std::int32_t openError);
// True when Resolve must look NameOrIP up: it is not a dotted address.
bool RequiresLookup(ProbePlatform& platform, const std::string& NameOrIP);

}  // namespace orvane2
