// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "probe/echo_batch.h"

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
    // Throws std::system_error when it cannot be opened for want of a resource (too
    // many open files, no memory or buffers), which the next batch may find again.
    virtual std::unique_ptr<EchoBatch> OpenEchoBatch() = 0;

    // A platform of the same kind and on the same shared resources (a socket handed in
    // at construction, say), with a LastError() of its own, for another thread: a
    // platform object is used by one thread at a time.
    virtual std::unique_ptr<ProbePlatform> ForAnotherThread() const = 0;
};

}  // namespace orvane2
