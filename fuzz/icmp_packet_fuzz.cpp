// libFuzzer target for the probe's packet parsing. The first 12 bytes of the input
// choose the request the packet is judged against (identifier, sequence number,
// destination) and the address a ping socket would report as the sender; the rest is
// the packet, handed both to ClassifyIpPacket (as a raw socket delivers it) and to
// ClassifyIcmpMessage (as a ping socket does). Whatever the bytes, a verdict must be
// consistent with them and any data it points at must lie within the packet.
// The same bytes also serve as the payload of requests, replies and error reports
// built here, which the classifiers must recognise. Nothing is sent anywhere.
#include "probe/echo_reply.h"
#include "probe/icmp_packet.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <vector>

namespace {

using namespace orvane2::icmp;
using Bytes = std::vector<std::byte>;
using View = std::span<const std::byte>;

constexpr std::size_t kKeySize = 12;
// Payloads larger than an Ethernet frame's worth add nothing but time.
constexpr std::size_t kMaxPayload = 1500;

[[noreturn]] void Violated(const char* what, long long a = 0, long long b = 0)
{
    std::fprintf(stderr, "icmp_packet_fuzz: invariant violated: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

void Require(bool holds, const char* what, long long a = 0, long long b = 0)
{
    if (!holds)
        Violated(what, a, b);
}

std::uint16_t BigEndian16(View bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>((std::to_integer<unsigned>(bytes[offset]) << 8) |
                                      std::to_integer<unsigned>(bytes[offset + 1]));
}

std::uint32_t Address(View bytes, std::size_t offset)
{
    std::uint32_t address = 0;
    std::memcpy(&address, bytes.data() + offset, sizeof address);
    return address;
}

// Whether inner lies within outer; an empty span may lie anywhere.
bool Within(View inner, View outer)
{
    if (inner.empty())
        return true;
    const std::less_equal<const std::byte*> le;
    return le(outer.data(), inner.data()) && le(inner.data() + inner.size(), outer.data() + outer.size());
}

// What holds for any classification of message (an ICMP message without IP header)
// received from source.
void CheckIcmpVerdict(const Classification& c, View message, std::uint32_t source, const EchoRequestKey& key)
{
    Require(Within(c.data, message), "data outside the message");
    switch (c.verdict) {
    case Verdict::kUnrelated:
        Require(c.data.empty(), "an unrelated message carries data", static_cast<long long>(c.data.size()));
        break;
    case Verdict::kAnswer:
        Require(message.size() >= kHeaderSize && Checksum(message) == 0, "answer with a bad checksum");
        Require(c.type == kEchoReply && std::to_integer<std::uint8_t>(message[0]) == kEchoReply, "answer not an echo reply",
                c.type);
        Require(BigEndian16(message, 4) == key.id && BigEndian16(message, 6) == key.sequence,
                "answer for another request");
        Require(source == key.destination, "answer from another host");
        Require(c.data.data() == message.data() + kHeaderSize && c.data.size() == message.size() - kHeaderSize,
                "answer data is not the echoed payload", static_cast<long long>(c.data.size()));
        break;
    case Verdict::kFailureReport:
        Require(message.size() >= kHeaderSize + kMinIpHeaderSize + kHeaderSize && Checksum(message) == 0,
                "failure report too short or with a bad checksum", static_cast<long long>(message.size()));
        Require(IsFailureReport(c.type) && std::to_integer<std::uint8_t>(message[0]) == c.type,
                "failure report of a type that is no failure", c.type);
        Require(c.data.empty(), "failure report carries data", static_cast<long long>(c.data.size()));
        break;
    }
}

// What holds for any classification of a whole IPv4 packet.
void CheckIpVerdict(const Classification& c, View packet, const EchoRequestKey& key)
{
    Require(Within(c.data, packet), "data outside the packet");
    if (c.verdict == Verdict::kUnrelated) {
        Require(c.data.empty(), "an unrelated packet carries data");
        return;
    }
    const unsigned first = std::to_integer<unsigned>(packet[0]);
    const std::size_t headerLength = (first & 0x0F) * 4u;
    Require((first >> 4) == 4 && headerLength >= kMinIpHeaderSize && packet.size() >= headerLength + kHeaderSize,
            "a verdict on a packet without a whole IPv4 header", static_cast<long long>(first));
    Require(std::to_integer<unsigned>(packet[9]) == kIpProtocolIcmp, "a verdict on a packet that is not ICMP");
    // The packet's verdict is the verdict on the ICMP message it carries.
    const View message = packet.subspan(headerLength);
    const Classification inner = ClassifyIcmpMessage(message, Address(packet, 12), key);
    Require(inner.verdict == c.verdict && inner.type == c.type && inner.code == c.code &&
                inner.data.data() == c.data.data() && inner.data.size() == c.data.size(),
            "packet and message verdicts differ");
    CheckIcmpVerdict(c, message, Address(packet, 12), key);
}

// An IPv4 header of headerLength bytes (options filled with NOPs) carrying payload.
Bytes WithIpHeader(View payload, std::uint32_t source, std::uint32_t destination, std::size_t headerLength)
{
    Bytes packet(headerLength, std::byte{1});
    const std::size_t total = headerLength + payload.size();
    packet[0] = static_cast<std::byte>(0x40 | (headerLength / 4));
    packet[1] = std::byte{0};
    packet[2] = static_cast<std::byte>((total >> 8) & 0xFF);
    packet[3] = static_cast<std::byte>(total & 0xFF);
    std::memset(packet.data() + 4, 0, 8);
    packet[8] = std::byte{64};
    packet[9] = static_cast<std::byte>(kIpProtocolIcmp);
    std::memcpy(packet.data() + 12, &source, 4);
    std::memcpy(packet.data() + 16, &destination, 4);
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

// Writes the correct checksum into the ICMP message (at least a header long).
void SetChecksum(std::span<std::byte> message)
{
    message[2] = std::byte{0};
    message[3] = std::byte{0};
    const std::uint16_t sum = Checksum(message);
    message[2] = static_cast<std::byte>(sum >> 8);
    message[3] = static_cast<std::byte>(sum & 0xFF);
}

// Builds the request for key with payload, its echo reply and an error report
// quoting it, and checks that each is recognised for what it is.
void CheckBuiltMessages(View payload, const EchoRequestKey& key, std::uint32_t client, std::size_t headerLength)
{
    const Bytes request = BuildEchoRequest(key.id, key.sequence, payload);
    Require(request.size() == kHeaderSize + payload.size(), "request of the wrong size");
    Require(Checksum(request) == 0, "request with a bad checksum");
    Require(QuotesRequest(request, key.destination, key), "the request is not its own request");
    Require(ClassifyIcmpMessage(request, key.destination, key).verdict == Verdict::kUnrelated,
            "our own request counted as an answer");

    Bytes reply = request;
    reply[0] = static_cast<std::byte>(kEchoReply);
    SetChecksum(reply);
    const Classification answer = ClassifyIcmpMessage(reply, key.destination, key);
    Require(answer.verdict == Verdict::kAnswer, "the echo reply was not recognised");
    Require(answer.data.size() == payload.size() &&
                (payload.empty() || std::memcmp(answer.data.data(), payload.data(), payload.size()) == 0),
            "the echo reply's data is not the payload");
    const Bytes replyPacket = WithIpHeader(reply, key.destination, client, headerLength);
    const Classification packetAnswer = ClassifyIpPacket(replyPacket, key);
    Require(packetAnswer.verdict == Verdict::kAnswer && packetAnswer.data.size() == payload.size(),
            "the echo reply in an IPv4 packet was not recognised", static_cast<long long>(headerLength));
    CheckIpVerdict(packetAnswer, replyPacket, key);

    // Destination unreachable quoting our request's IP header and 8 bytes of it.
    const Bytes quotedPacket = WithIpHeader(request, client, key.destination, headerLength);
    Bytes error(kHeaderSize, std::byte{0});
    error[0] = static_cast<std::byte>(kDestUnreachable);
    error[1] = std::byte{1};
    error.insert(error.end(), quotedPacket.begin(),
                 quotedPacket.begin() + static_cast<std::ptrdiff_t>(headerLength + kHeaderSize));
    SetChecksum(error);
    const Classification report = ClassifyIcmpMessage(error, ~key.destination, key);
    Require(report.verdict == Verdict::kFailureReport && report.type == kDestUnreachable && report.code == 1,
            "the error report quoting the request was not recognised", static_cast<long long>(headerLength));
    CheckIcmpVerdict(report, error, ~key.destination, key);
}

// The echo reply record round-trips through any buffer large enough for it.
void CheckEchoReplyRecord(View bytes)
{
    if (bytes.size() < 14)
        return;
    orvane2::EchoReplyRecord record;
    std::memcpy(&record.address, bytes.data(), 4);
    std::memcpy(&record.status, bytes.data() + 4, 4);
    std::memcpy(&record.roundTripTime, bytes.data() + 8, 4);
    std::memcpy(&record.dataSize, bytes.data() + 12, 2);
    Bytes buffer(std::max(bytes.size(), orvane2::kEchoReplyRecordSize));
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
    orvane2::WriteEchoReply(buffer, record);
    const orvane2::EchoReplyRecord back = orvane2::ReadEchoReply(buffer);
    Require(back.address == record.address && back.status == record.status &&
                back.roundTripTime == record.roundTripTime && back.dataSize == record.dataSize,
            "echo reply record does not read back as written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kKeySize)
        return 0;
    const View input(reinterpret_cast<const std::byte*>(data), size);
    EchoRequestKey key;
    key.id = BigEndian16(input, 0);
    key.sequence = BigEndian16(input, 2);
    key.destination = Address(input, 4);
    const std::uint32_t source = Address(input, 8);

    // A copy of exactly the packet's bytes, so that reading past its end is caught.
    const Bytes packet(input.begin() + kKeySize, input.end());
    const View view(packet);

    CheckIpVerdict(ClassifyIpPacket(view, key), view, key);
    CheckIcmpVerdict(ClassifyIcmpMessage(view, source, key), view, source, key);

    // Random bytes almost never carry a correct checksum, which the classifiers check
    // first; so the same bytes are classified again with the checksum made right,
    // once as an ICMP message and once as the ICMP message after an IPv4 header.
    if (view.size() >= kHeaderSize) {
        Bytes message = packet;
        SetChecksum(message);
        CheckIcmpVerdict(ClassifyIcmpMessage(message, source, key), message, source, key);
    }
    const std::size_t ipHeaderLength = view.empty() ? 0 : (std::to_integer<std::size_t>(view[0]) & 0x0F) * 4;
    if (ipHeaderLength >= kMinIpHeaderSize && view.size() >= ipHeaderLength + kHeaderSize) {
        Bytes ipPacket = packet;
        SetChecksum(std::span<std::byte>(ipPacket).subspan(ipHeaderLength));
        CheckIpVerdict(ClassifyIpPacket(ipPacket, key), ipPacket, key);
    }
    if (QuotesRequest(view, key.destination, key))
        Require(view.size() >= kHeaderSize && std::to_integer<std::uint8_t>(view[0]) == kEchoRequest,
                "something other than an echo request quoted as ours");
    // An error report quoting this packet as if it were the offending one.
    if (view.size() >= kMinIpHeaderSize) {
        Bytes error(kHeaderSize, std::byte{0});
        error[0] = static_cast<std::byte>(kTimeExceeded);
        error.insert(error.end(), view.begin(), view.end());
        SetChecksum(error);
        CheckIcmpVerdict(ClassifyIcmpMessage(error, source, key), error, source, key);
    }

    const View payload = view.first(std::min(view.size(), kMaxPayload));
    // IPv4 header lengths 20..60 bytes, chosen by the source address's last byte.
    const std::size_t headerLength = kMinIpHeaderSize + 4 * (std::to_integer<std::size_t>(input[11]) % 11);
    CheckBuiltMessages(payload, key, source, headerLength);
    CheckEchoReplyRecord(view);
    return 0;
}
