// SPDX-License-Identifier: MIT
#include "probe/linux/icmp_packet.h"

#include <algorithm>
#include <cstring>

namespace orvane2::icmp {
namespace {

constexpr std::size_t kChecksumOffset = 2;
constexpr std::size_t kIdOffset = 4;
constexpr std::size_t kSequenceOffset = 6;
constexpr std::size_t kIpProtocolOffset = 9;
constexpr std::size_t kIpSourceOffset = 12;
constexpr std::size_t kIpDestinationOffset = 16;

std::uint16_t ReadBigEndian16(std::span<const std::byte> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>((std::to_integer<unsigned>(bytes[offset]) << 8) |
                                      std::to_integer<unsigned>(bytes[offset + 1]));
}

void WriteBigEndian16(std::span<std::byte> bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::byte>(value >> 8);
    bytes[offset + 1] = static_cast<std::byte>(value & 0xFF);
}

// An address exactly as it lies in the packet, i.e. in network byte order.
std::uint32_t ReadAddress(std::span<const std::byte> bytes, std::size_t offset)
{
    std::uint32_t address = 0;
    std::memcpy(&address, bytes.data() + offset, sizeof address);
    return address;
}

std::uint8_t ReadByte(std::span<const std::byte> bytes, std::size_t offset)
{
    return std::to_integer<std::uint8_t>(bytes[offset]);
}

// Length of the IPv4 header at the start of packet, or 0 when there is no
// well-formed IPv4 header carrying ICMP followed by at least an ICMP header.
std::size_t IcmpOverIpHeaderLength(std::span<const std::byte> packet)
{
    if (packet.size() < kMinIpHeaderSize) {
        return 0;
    }
    const std::uint8_t versionAndLength = ReadByte(packet, 0);
    const std::size_t headerLength = static_cast<std::size_t>(versionAndLength & 0x0F) * 4;
    if ((versionAndLength >> 4) != 4 || headerLength < kMinIpHeaderSize || packet.size() < headerLength + kHeaderSize ||
        ReadByte(packet, kIpProtocolOffset) != kIpProtocolIcmp) {
        return 0;
    }
    return headerLength;
}

bool SameRequest(std::span<const std::byte> icmpHeader, const EchoRequestKey& key)
{
    return ReadBigEndian16(icmpHeader, kIdOffset) == key.id &&
           ReadBigEndian16(icmpHeader, kSequenceOffset) == key.sequence;
}

}  // namespace

std::uint16_t Checksum(std::span<const std::byte> bytes)
{
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        sum += ReadBigEndian16(bytes, i);
    }
    if (i < bytes.size()) {
        sum += std::to_integer<std::uint32_t>(bytes[i]) << 8;
    }
    while ((sum >> 16) != 0) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

std::vector<std::byte> BuildEchoRequest(std::uint16_t id, std::uint16_t sequence, std::span<const std::byte> payload)
{
    std::vector<std::byte> message(kHeaderSize + payload.size());
    message[0] = static_cast<std::byte>(kEchoRequest);
    WriteBigEndian16(message, kIdOffset, id);
    WriteBigEndian16(message, kSequenceOffset, sequence);
    std::copy(payload.begin(), payload.end(), message.begin() + kHeaderSize);
    WriteBigEndian16(message, kChecksumOffset, Checksum(message));
    return message;
}

bool IsFailureReport(std::uint8_t type)
{
    return type == kDestUnreachable || type == kTimeExceeded || type == kParameterProblem;
}

bool QuotesRequest(std::span<const std::byte> quotedIcmp, std::uint32_t quotedDestination, const EchoRequestKey& key)
{
    return quotedIcmp.size() >= kHeaderSize && ReadByte(quotedIcmp, 0) == kEchoRequest &&
           ReadByte(quotedIcmp, 1) == 0 && SameRequest(quotedIcmp, key) && quotedDestination == key.destination;
}

Classification ClassifyIcmpMessage(std::span<const std::byte> message, std::uint32_t source, const EchoRequestKey& key)
{
    Classification result;
    if (message.size() < kHeaderSize || Checksum(message) != 0) {
        return result;
    }
    const std::uint8_t type = ReadByte(message, 0);
    const std::uint8_t code = ReadByte(message, 1);

    if (type == kEchoReply) {
        if (SameRequest(message, key) && source == key.destination) {
            result = {Verdict::kAnswer, type, code, message.subspan(kHeaderSize)};
        }
        return result;
    }
    if (IsFailureReport(type)) {
        // An error quotes the offending packet: its IP header and at least the
        // first 8 bytes after it, here the ICMP header of our request.
        const auto quoted = message.subspan(kHeaderSize);
        const std::size_t quotedHeaderLength = IcmpOverIpHeaderLength(quoted);
        if (quotedHeaderLength != 0 &&
            QuotesRequest(quoted.subspan(quotedHeaderLength), ReadAddress(quoted, kIpDestinationOffset), key)) {
            result = {Verdict::kFailureReport, type, code, {}};
        }
    }
    return result;
}

Classification ClassifyIpPacket(std::span<const std::byte> packet, const EchoRequestKey& key)
{
    const std::size_t headerLength = IcmpOverIpHeaderLength(packet);
    if (headerLength == 0) {
        return {};
    }
    return ClassifyIcmpMessage(packet.subspan(headerLength), ReadAddress(packet, kIpSourceOffset), key);
}

std::optional<std::uint16_t> SequenceOfIcmpMessage(std::span<const std::byte> message)
{
    if (message.size() < kHeaderSize)
        return std::nullopt;
    const std::uint8_t type = ReadByte(message, 0);
    if (type == kEchoReply || type == kEchoRequest)
        return ReadBigEndian16(message, kSequenceOffset);
    if (!IsFailureReport(type))
        return std::nullopt;
    const auto quoted = message.subspan(kHeaderSize);
    const std::size_t quotedHeaderLength = IcmpOverIpHeaderLength(quoted);
    if (quotedHeaderLength == 0 || ReadByte(quoted, quotedHeaderLength) != kEchoRequest)
        return std::nullopt;
    return ReadBigEndian16(quoted, quotedHeaderLength + kSequenceOffset);
}

std::optional<std::uint16_t> SequenceOfIpPacket(std::span<const std::byte> packet)
{
    const std::size_t headerLength = IcmpOverIpHeaderLength(packet);
    if (headerLength == 0)
        return std::nullopt;
    return SequenceOfIcmpMessage(packet.subspan(headerLength));
}

}  // namespace orvane2::icmp
