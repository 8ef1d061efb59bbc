// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane2 {

// Handle of an open ICMP echo service; kInvalidEchoHandle (all ones) means that
// opening failed.
using EchoHandle = std::intptr_t;
inline constexpr EchoHandle kInvalidEchoHandle = -1;

// What ParseAddress returns for text that is not an address. The same value is
// also the address 255.255.255.255, which therefore can never be parsed.
inline constexpr std::uint32_t kNotAnAddress = 0xFFFFFFFFu;

// A successful host lookup: its IPv4 addresses in network byte order, in the order
// the lookup listed them. The list may be empty.
struct HostEntry {
    std::vector<std::uint32_t> addresses;
};

// What became of one echo request of a batch.
struct EchoResult {
    // Windows IP status: 0 (IP_SUCCESS) only for the echo reply to this very request
    // from its destination; else why none came: 11010 (timed out), the status of an
    // ICMP error that quotes the request (11002 net unreachable, 11003 host
    // unreachable, 11013 TTL expired...), or of a failed send.
    std::int32_t status = 0;
    // Whole milliseconds from sending to the reply; 0 unless status is 0.
    std::uint32_t roundTripMs = 0;
};

// Echo requests to many hosts at once over one echo service opened for the batch:
// every request is sent without waiting for the answers of the others, and one
// receiver routes each answer to its own request. The requests carry no payload.
//
// Threads: one thread, the batch's own, creates it (ProbePlatform::OpenEchoBatch),
// calls Send and Collect, and destroys it; only Wake may be called from other threads.
// The batch needs no wait object per request, so any number of requests may be out
// at once.
class EchoBatch {
public:
    using Clock = std::chrono::steady_clock;
    // Told the result of one request: the number Send was given for it, and the result.
    using ResultSink = std::function<void(std::size_t request, const EchoResult& result)>;

    // Closes the echo service. Requests still out are abandoned and never reported. It
    // returns only when the platform touches nothing of the batch any more: where
    // requests complete asynchronously (an APC, an event), it cancels them or waits for
    // them first, which takes at most the longest timeout given to Send.
    virtual ~EchoBatch() = default;

    // Sends one echo request, with no payload, to destination (network byte order). Its
    // deadline is timeoutMs after this call (a negative timeout counts as 0). request is
    // the caller's number for it, unique within the batch, and comes back with its
    // result. Does not wait for the answer: a send that fails is not reported here but
    // by the next Collect, as that request's result.
    virtual void Send(std::size_t request, std::uint32_t destination, std::int32_t timeoutMs) = 0;

    // Waits until a request sent here has a result that was not yet handed out, until
    // Wake() is called, or until `until`, whichever comes first, and then hands every
    // result known by then to sink, each request's exactly once. A request's result is
    // known when its answer or an ICMP error about it has come, its send failed, or its
    // deadline has passed (status 11010); answers to anything else, errors about
    // anything else and late answers are read and dropped. Returns at once when a
    // result is already known or a wake-up is pending. With nothing out, it waits for
    // Wake() or `until` only.
    virtual void Collect(Clock::time_point until, const ResultSink& sink) = 0;

    // Ends the Collect that is waiting now, or else the next one, at once. Any thread may
    // call it at any time while the batch exists; it never blocks for long and never
    // throws. Wake-ups before a Collect do not add up: the Collect ends once.
    virtual void Wake() = 0;
};

// The network services PingIPv4 is built on. Every operation is synchronous and
// sets the code that LastError() returns until the next operation; callers read it
// right after the call they are interested in. An object is used by one thread at a
// time; concurrent users each take their own from ForAnotherThread().
class ProbePlatform {
public:
    virtual ~ProbePlatform() = default;

    // Error code left by the most recent operation.
    virtual std::int32_t LastError() const = 0;

    // Dotted IPv4 text to an address in network byte order, with the rules of
    // inet_addr (1 to 4 parts, decimal, octal or hex); kNotAnAddress when the text
    // is not an address.
    virtual std::uint32_t ParseAddress(const std::string& text) = 0;

    // Start and clean up the sockets library around one lookup. StartSockets takes
    // the requested version (major in the low byte) and returns 0 when ready, else
    // an error number. CleanupSockets returns 0 on success; its error is LastError().
    virtual std::int32_t StartSockets(std::uint16_t version) = 0;
    virtual std::int32_t CleanupSockets() = 0;

    // Look a host name up for IPv4; nullopt when the lookup failed (see LastError()).
    virtual std::optional<HostEntry> LookupHost(const std::string& name) = 0;

    // An address in network byte order as dotted text; nullopt on failure.
    virtual std::optional<std::string> FormatAddress(std::uint32_t address) = 0;

    // Bounded copy of text handed out by the platform: at most bound - 1 characters,
    // the bound counting the terminator of the copy; nullopt on failure.
    virtual std::optional<std::string> CopyText(std::string_view text, std::size_t bound) = 0;

    // True when an error of OpenEcho means that the system lets this program send no
    // ICMP at all (a matter of permission, not of the moment).
    virtual bool RefusesIcmp(std::int32_t openError) const = 0;

    // The ICMP echo service. SendEcho sends one echo request with payloadSize bytes
    // from payload to destination (network byte order), waits at most timeoutMs for
    // the answer, and returns the number of reply records written at the start of
    // reply (layout in echo_reply.h); 0 means no answer and LastError() says why.
    virtual EchoHandle OpenEcho() = 0;
    virtual std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload,
                                   std::uint16_t payloadSize, std::span<std::byte> reply, std::int32_t timeoutMs) = 0;
    // True when the handle was closed.
    virtual bool CloseEcho(EchoHandle handle) = 0;

    // Opens the echo service for one batch (see EchoBatch); null when it cannot be
    // opened, with LastError() telling why, as for OpenEcho (RefusesIcmp applies to it).
    virtual std::unique_ptr<EchoBatch> OpenEchoBatch() = 0;

    // A platform of the same kind and on the same shared resources (a socket handed in
    // at construction, say), with a LastError() of its own, for another thread: a
    // platform object is used by one thread at a time.
    virtual std::unique_ptr<ProbePlatform> ForAnotherThread() const = 0;
};

}  // namespace orvane2
