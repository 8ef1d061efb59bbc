// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orvane2 {

// The two kinds of socket that can carry an echo request on Linux.
enum class EchoSocketKind {
    kPing,  // SOCK_DGRAM/IPPROTO_ICMP: the kernel owns the identifier, no IP header
    kRaw,   // SOCK_RAW/IPPROTO_ICMP: sees every ICMP packet, with IP header
};

struct EchoOutcome {
    std::int32_t status = 0;        // Windows IP status; 0 when the echo reply came
    std::uint32_t source = 0;       // the replying host, network byte order
    std::uint32_t roundTripMs = 0;  // whole milliseconds from sending to the reply
    std::size_t dataSize = 0;       // echoed bytes copied into dataOut
};

// Sends one echo request with its own identifier and sequence number to
// destination (network byte order) and waits for its answer until timeoutMs after
// the call began (a negative timeout counts as 0). Only the echo reply to this
// very request from destination, or an ICMP error that quotes this request, ends
// the wait early; anything else is read and ignored, and never moves the deadline.
// The echoed payload is copied into dataOut, cut to its size.
EchoOutcome ExchangeEcho(int fd, EchoSocketKind kind, std::uint32_t destination, std::span<const std::byte> payload,
                         std::int32_t timeoutMs, std::span<std::byte> dataOut);

}  // namespace orvane2
