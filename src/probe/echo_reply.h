// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orvane2 {

// One echo reply record at the start of SendEcho's reply buffer, laid out as the
// 32-bit ICMP_ECHO_REPLY of the Windows echo service (all values in host order
// except the address):
//   offset 0  address      uint32, the replying host, network byte order
//   offset 4  status       uint32, an IP status (0 = success)
//   offset 8  round trip   uint32, milliseconds
//   offset 12 data size    uint16, bytes of echoed data
//   offset 14 reserved     uint16
//   offset 16 data         uint32, offset of the echoed data in the buffer
//   offset 20 options      8 bytes (TTL, TOS, flags, options size, options), zero here
// The echoed data follows the record.
inline constexpr std::size_t kEchoReplyRecordSize = 28;

struct EchoReplyRecord {
    std::uint32_t address = 0;
    std::uint32_t status = 0;
    std::uint32_t roundTripTime = 0;
    std::uint16_t dataSize = 0;
};

// What came of an echo request to destination (network byte order) whose first reply
// record is first, by the one rule of the single Ping and the batch on every platform: 0
// (IP_SUCCESS) when the request was answered, that is when the record is an echo reply
// (status 0) from the destination itself; else the IP status that says why not: the
// record's own (an ICMP error about the request, a timeout, a failed send), or 11050
// (IP_GENERAL_FAILURE) for a reply from another address.
std::int32_t EchoStatus(const EchoReplyRecord& first, std::uint32_t destination);

// Both require a buffer of at least kEchoReplyRecordSize bytes.
void WriteEchoReply(std::span<std::byte> buffer, const EchoReplyRecord& record);
EchoReplyRecord ReadEchoReply(std::span<const std::byte> buffer);

}  // namespace orvane2
