// SPDX-License-Identifier: MIT
// libFuzzer target for the probe's packet parsing. Input: the request's identifier, sequence number (big-endian),
// destination, the sender a ping socket reports, then received bytes; every verdict must agree with the bytes.
#include <cstring>
#include <stdexcept>

#include "probe/linux/icmp_packet.h"

using namespace orvane2::icmp;
using Bytes = std::vector<std::byte>;

static void Require(bool holds, const char* what)
{
    if (!holds)
        throw std::logic_error(std::string("icmp_packet_fuzz: invariant violated: ") + what);
}
static unsigned At(const Bytes& b, std::size_t i)
{
    return std::to_integer<unsigned>(b[i]);
}
// Whether the ICMP header at b[i] carries the request's identifier and sequence number.
static bool SameIds(const Bytes& b, std::size_t i, const EchoRequestKey& k)
{
    return (At(b, i + 4) << 8 | At(b, i + 5)) == k.id && (At(b, i + 6) << 8 | At(b, i + 7)) == k.sequence;
}
static Bytes WithChecksum(Bytes b, std::size_t icmpAt)
{
    b[icmpAt + 2] = b[icmpAt + 3] = std::byte{0};
    const unsigned sum = Checksum(std::span(b).subspan(icmpAt));
    return b[icmpAt + 2] = std::byte(sum >> 8), b[icmpAt + 3] = std::byte(sum & 0xFF), b;
}

static Verdict CheckMessage(const Bytes& m, std::uint32_t source, const EchoRequestKey& key)
{
    const Classification c = ClassifyIcmpMessage(m, source, key);
    const bool answer = c.verdict == Verdict::kAnswer, failure = c.verdict == Verdict::kFailureReport;
    Require(answer ? c.data.data() == m.data() + 8 && c.data.size() == m.size() - 8 : c.data.empty(), "data");
    Require((!answer && !failure) || (Checksum(m) == 0 && At(m, 0) == c.type), "verdict on a bad checksum or type");
    Require(!answer || (c.type == kEchoReply && SameIds(m, 0, key) && source == key.destination), "wrong answer");
    // An error must quote this very request: an IP header naming its destination, then type 8, code 0 and its ids.
    const std::size_t q = m.size() < 28 ? 0 : 8 + (At(m, 8) & 0x0F) * 4u;
    const bool quotesRequest = q >= 28 && m.size() >= q + 8 && At(m, q) == kEchoRequest && At(m, q + 1) == 0 &&
                               SameIds(m, q, key) && std::memcmp(m.data() + 24, &key.destination, 4) == 0;
    Require(!failure || (IsFailureReport(c.type) && quotesRequest), "failure report about another packet");
    return c.verdict;
}

static void CheckPacket(const Bytes& p, const EchoRequestKey& key, bool fixChecksum)
{
    const std::size_t header = p.size() < 20 ? 0 : (At(p, 0) & 0x0F) * 4u;
    const bool icmp = header >= 20 && At(p, 0) >> 4 == 4 && p.size() >= header + 8 && At(p, 9) == 1;
    const Bytes packet = fixChecksum && icmp ? WithChecksum(p, header) : p;
    std::uint32_t source = 0;
    if (icmp)
        std::memcpy(&source, packet.data() + 12, 4);
    Require(ClassifyIpPacket(packet, key).verdict ==
                (icmp ? CheckMessage(Bytes(packet.begin() + header, packet.end()), source, key) : Verdict::kUnrelated),
            "packet and message verdicts differ");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 13)
        return 0;
    EchoRequestKey key{std::uint16_t(data[0] << 8 | data[1]), std::uint16_t(data[2] << 8 | data[3]), 0};
    std::uint32_t source = 0;
    std::memcpy(&key.destination, data + 4, 4), std::memcpy(&source, data + 8, 4);
    const Bytes bytes(reinterpret_cast<const std::byte*>(data) + 12, reinterpret_cast<const std::byte*>(data) + size);
    CheckPacket(bytes, key, false), CheckPacket(bytes, key, true), CheckMessage(bytes, source, key);
    if (bytes.size() >= 8)
        CheckMessage(WithChecksum(bytes, 0), source, key);
    Bytes request = BuildEchoRequest(key.id, key.sequence, std::span(bytes).first(std::min(bytes.size(), 1500ul)));
    Require(CheckMessage(request, key.destination, key) == Verdict::kUnrelated, "our own request taken as answer");
    Bytes error(36);  // host unreachable, quoting an IP header and the request's first 8 bytes
    error[0] = std::byte{3}, error[1] = std::byte{1}, error[8] = std::byte{0x45}, error[17] = std::byte{1};
    std::memcpy(error.data() + 24, &key.destination, 4), std::memcpy(error.data() + 28, request.data(), 8);
    Require(CheckMessage(WithChecksum(error, 0), source, key) == Verdict::kFailureReport, "error not recognised");
    request[0] = std::byte{kEchoReply};
    Require(CheckMessage(WithChecksum(request, 0), key.destination, key) == Verdict::kAnswer, "reply not recognised");
    return 0;
}
