// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Building ICMP echo requests and recognising what answers them.
namespace orvane2::icmp {

inline constexpr std::uint8_t kEchoReply = 0;
inline constexpr std::uint8_t kDestUnreachable = 3;
inline constexpr std::uint8_t kSourceQuench = 4;
inline constexpr std::uint8_t kRedirect = 5;
inline constexpr std::uint8_t kEchoRequest = 8;
inline constexpr std::uint8_t kTimeExceeded = 11;
inline constexpr std::uint8_t kParameterProblem = 12;

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kMinIpHeaderSize = 20;
inline constexpr std::uint8_t kIpProtocolIcmp = 1;

// Internet checksum (RFC 1071) of bytes; 0 when computed over a message that
// carries a correct checksum.
std::uint16_t Checksum(std::span<const std::byte> bytes);

// An echo request with a correct checksum: type 8, code 0, identifier, sequence
// number, payload.
std::vector<std::byte> BuildEchoRequest(std::uint16_t id, std::uint16_t sequence, std::span<const std::byte> payload);

// What identifies one echo request. destination is in network byte order.
struct EchoRequestKey {
    std::uint16_t id = 0;
    std::uint16_t sequence = 0;
    std::uint32_t destination = 0;
};

enum class Verdict {
    kUnrelated,      // not about this request, or not a failure (redirect, source quench)
    kAnswer,         // the echo reply to this request from its destination
    kFailureReport,  // an ICMP error that quotes this request
};

struct Classification {
    Verdict verdict = Verdict::kUnrelated;
    std::uint8_t type = 0;
    std::uint8_t code = 0;
    std::span<const std::byte> data;  // the echoed payload of an echo reply
};

// True for the ICMP error types that say a request will not be answered:
// destination unreachable, time exceeded and parameter problem.
bool IsFailureReport(std::uint8_t type);

// Whether quotedIcmp (the start of the ICMP header quoted in an error message)
// is this very request, sent to quotedDestination (network byte order).
bool QuotesRequest(std::span<const std::byte> quotedIcmp, std::uint32_t quotedDestination, const EchoRequestKey& key);

// An ICMP message without IP header (as a ping socket delivers it) that came from
// source (network byte order).
Classification ClassifyIcmpMessage(std::span<const std::byte> message, std::uint32_t source, const EchoRequestKey& key);

// A whole IPv4 packet (as a raw socket delivers it).
Classification ClassifyIpPacket(std::span<const std::byte> packet, const EchoRequestKey& key);

// The sequence number of the echo request that a message could be about: that of an
// echo reply or request, or that of the echo request quoted by a failure report;
// nothing for anything else. It only says which request to check the message against.
std::optional<std::uint16_t> SequenceOfIcmpMessage(std::span<const std::byte> message);
std::optional<std::uint16_t> SequenceOfIpPacket(std::span<const std::byte> packet);

}  // namespace orvane2::icmp
