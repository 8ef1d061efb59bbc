// Building echo requests and telling the answer to one request from everything
// else an ICMP socket can deliver.
#include "probe/icmp_packet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace orvane2::icmp {
namespace {

using Bytes = std::vector<std::byte>;

Bytes Of(std::initializer_list<unsigned> values) {
    Bytes bytes;
    for (unsigned v : values) {
        bytes.push_back(static_cast<std::byte>(v));
    }
    return bytes;
}

std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

TEST(Checksum, MatchesRfc1071) {
    // The worked example of RFC 1071, section 3.
    EXPECT_EQ(Checksum(Of({0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7})), 0x220d);
    // An odd byte counts as the high half of a last word.
    EXPECT_EQ(Checksum(Of({0x01})), 0xfeff);
    EXPECT_EQ(Checksum({}), 0xffff);
}

TEST(BuildEchoRequest, LaysOutHeaderPayloadAndChecksum) {
    const Bytes message = BuildEchoRequest(0x1234, 0xabcd, Of({'h', 'i'}));
    EXPECT_EQ(message, Of({0x08, 0x00, 0xd1, 0x94, 0x12, 0x34, 0xab, 0xcd, 'h', 'i'}));
    EXPECT_EQ(Checksum(message), 0);
}

// ---- classification -------------------------------------------------------

const EchoRequestKey kKey{0x1234, 7, Ip(192, 0, 2, 2)};
const std::uint32_t kDestination = kKey.destination;
const std::uint32_t kClient = Ip(192, 0, 2, 1);
const std::uint32_t kRouter = Ip(198, 51, 100, 1);

struct Message {
    std::uint8_t type = kEchoReply;
    std::uint8_t code = 0;
    std::uint16_t id = kKey.id;
    std::uint16_t sequence = kKey.sequence;
    Bytes body = Of({'a', 'b', 'c'});
    bool corruptChecksum = false;

    Bytes Build() const {
        Bytes bytes = Of({type, code, 0, 0, static_cast<unsigned>(id >> 8), static_cast<unsigned>(id & 0xFF),
                          static_cast<unsigned>(sequence >> 8), static_cast<unsigned>(sequence & 0xFF)});
        bytes.insert(bytes.end(), body.begin(), body.end());
        std::uint16_t sum = Checksum(bytes);
        if (corruptChecksum) {
            sum = static_cast<std::uint16_t>(sum ^ 0x0101);
        }
        bytes[2] = static_cast<std::byte>(sum >> 8);
        bytes[3] = static_cast<std::byte>(sum & 0xFF);
        return bytes;
    }
};

// An IPv4 header (with optionWords 4-byte words of options) before payload.
Bytes WithIpHeader(const Bytes& payload, std::uint32_t source, std::uint32_t destination,
                   unsigned protocol = kIpProtocolIcmp, unsigned optionWords = 0, unsigned version = 4) {
    const unsigned headerLength = 20 + 4 * optionWords;
    const unsigned total = headerLength + static_cast<unsigned>(payload.size());
    Bytes packet = Of({(version << 4) | (headerLength / 4), 0, total >> 8, total & 0xFF, 0, 0, 0, 0, 64, protocol, 0,
                       0});
    packet.resize(12 + 8);
    std::memcpy(packet.data() + 12, &source, 4);
    std::memcpy(packet.data() + 16, &destination, 4);
    packet.resize(headerLength, std::byte{1});  // options: NOPs
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

// An ICMP error of type/code quoting `quotedPacket` (its IP header and 8 bytes).
Bytes ErrorAbout(std::uint8_t type, std::uint8_t code, const Bytes& quotedPacket, std::size_t quoteLength = 28) {
    Message error;
    error.type = type;
    error.code = code;
    error.id = 0;
    error.sequence = 0;
    error.body.assign(quotedPacket.begin(), quotedPacket.begin() + static_cast<long>(quoteLength));
    return error.Build();
}

Bytes OurRequest(std::uint16_t sequence = kKey.sequence, std::uint32_t destination = kDestination) {
    return WithIpHeader(BuildEchoRequest(kKey.id, sequence, Of({'a', 'b', 'c'})), kClient, destination);
}

struct ClassifyCase {
    std::string name;
    std::function<Bytes()> message;
    std::uint32_t source;
    Verdict verdict;
    std::uint8_t type;
    std::uint8_t code;
    friend void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.name; }
};

class Classify : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, IcmpMessage) {
    const ClassifyCase& c = GetParam();
    const Bytes message = c.message();
    const Classification found = ClassifyIcmpMessage(message, c.source, kKey);
    EXPECT_EQ(found.verdict, c.verdict);
    if (c.verdict != Verdict::kUnrelated) {
        EXPECT_EQ(found.type, c.type);
        EXPECT_EQ(found.code, c.code);
    }
    if (c.verdict == Verdict::kAnswer) {
        EXPECT_EQ(Bytes(found.data.begin(), found.data.end()), Of({'a', 'b', 'c'}));
    }
}

TEST_P(Classify, IpPacketWithAndWithoutOptions) {
    const ClassifyCase& c = GetParam();
    for (unsigned optionWords : {0u, 3u}) {
        SCOPED_TRACE(optionWords);
        const Bytes packet = WithIpHeader(c.message(), c.source, kClient, kIpProtocolIcmp, optionWords);
        const Classification found = ClassifyIpPacket(packet, kKey);
        EXPECT_EQ(found.verdict, c.verdict);
        if (c.verdict == Verdict::kAnswer) {
            EXPECT_EQ(Bytes(found.data.begin(), found.data.end()), Of({'a', 'b', 'c'}));
        }
    }
}

Bytes Reply(std::function<void(Message&)> change = [](Message&) {}) {
    Message m;
    change(m);
    return m.Build();
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Classify,
    ::testing::Values(
        ClassifyCase{"TheReply", [] { return Reply(); }, kDestination, Verdict::kAnswer, kEchoReply, 0},
        ClassifyCase{"ReplyWithOtherIdentifier", [] { return Reply([](Message& m) { m.id = 0x1235; }); },
                     kDestination, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ReplyWithOtherSequence", [] { return Reply([](Message& m) { m.sequence = 8; }); }, kDestination,
                     Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ReplyFromOtherAddress", [] { return Reply(); }, Ip(192, 0, 2, 3), Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ReplyWithBadChecksum", [] { return Reply([](Message& m) { m.corruptChecksum = true; }); },
                     kDestination, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ReplyCutShort", [] {
                         Bytes reply = Reply();
                         reply.resize(7);
                         return reply;
                     }, kDestination,
                     Verdict::kUnrelated, 0, 0},
        ClassifyCase{"OurOwnRequestLoopedBack", [] { return BuildEchoRequest(kKey.id, kKey.sequence, Of({'a', 'b', 'c'})); },
                     kDestination, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"HostUnreachableFromRouter", [] { return ErrorAbout(kDestUnreachable, 1, OurRequest()); },
                     kRouter, Verdict::kFailureReport, kDestUnreachable, 1},
        ClassifyCase{"PortUnreachableFromDestination", [] { return ErrorAbout(kDestUnreachable, 3, OurRequest()); },
                     kDestination, Verdict::kFailureReport, kDestUnreachable, 3},
        ClassifyCase{"TimeExceeded", [] { return ErrorAbout(kTimeExceeded, 0, OurRequest()); }, kRouter,
                     Verdict::kFailureReport, kTimeExceeded, 0},
        ClassifyCase{"ParameterProblem", [] { return ErrorAbout(kParameterProblem, 0, OurRequest()); }, kRouter,
                     Verdict::kFailureReport, kParameterProblem, 0},
        ClassifyCase{"ErrorQuotingWholeRequest",
                     [] { return ErrorAbout(kDestUnreachable, 0, OurRequest(), OurRequest().size()); }, kRouter,
                     Verdict::kFailureReport, kDestUnreachable, 0},
        ClassifyCase{"ErrorAboutOtherSequence", [] { return ErrorAbout(kDestUnreachable, 1, OurRequest(8)); },
                     kRouter, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ErrorAboutOtherDestination",
                     [] { return ErrorAbout(kDestUnreachable, 1, OurRequest(kKey.sequence, Ip(192, 0, 2, 9))); },
                     kRouter, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ErrorAboutUdpDatagram",
                     [] {
                         return ErrorAbout(kDestUnreachable, 3,
                                           WithIpHeader(Of({0x12, 0x34, 0, 7, 0, 11, 0, 0, 'a', 'b', 'c'}), kClient,
                                                        kDestination, 17));
                     },
                     kDestination, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"ErrorQuotingTooLittle", [] { return ErrorAbout(kDestUnreachable, 1, OurRequest(), 27); },
                     kRouter, Verdict::kUnrelated, 0, 0},
        ClassifyCase{"RedirectIsNoFailure", [] { return ErrorAbout(kRedirect, 1, OurRequest()); }, kRouter,
                     Verdict::kUnrelated, 0, 0},
        ClassifyCase{"SourceQuenchIsNoFailure", [] { return ErrorAbout(kSourceQuench, 0, OurRequest()); }, kRouter,
                     Verdict::kUnrelated, 0, 0}),
    [](const ::testing::TestParamInfo<ClassifyCase>& tested) { return tested.param.name; });

TEST(ClassifyIpPacket, IgnoresWhatIsNotIcmpOverIpv4) {
    const Bytes reply = Reply();
    EXPECT_EQ(ClassifyIpPacket(WithIpHeader(reply, kDestination, kClient, 17), kKey).verdict, Verdict::kUnrelated);
    EXPECT_EQ(ClassifyIpPacket(WithIpHeader(reply, kDestination, kClient, kIpProtocolIcmp, 0, 6), kKey).verdict,
              Verdict::kUnrelated);
    const Bytes whole = WithIpHeader(reply, kDestination, kClient);
    EXPECT_EQ(ClassifyIpPacket(Bytes(whole.begin(), whole.begin() + 19), kKey).verdict, Verdict::kUnrelated);
    EXPECT_EQ(ClassifyIpPacket(Bytes(whole.begin(), whole.begin() + 27), kKey).verdict, Verdict::kUnrelated);
    EXPECT_EQ(ClassifyIpPacket(whole, kKey).verdict, Verdict::kAnswer);
}

TEST(QuotesRequest, NeedsTypeCodeIdentifierSequenceAndDestination) {
    const Bytes request = BuildEchoRequest(kKey.id, kKey.sequence, {});
    EXPECT_TRUE(QuotesRequest(request, kDestination, kKey));
    EXPECT_FALSE(QuotesRequest(request, kClient, kKey));
    EXPECT_FALSE(QuotesRequest(BuildEchoRequest(kKey.id + 1, kKey.sequence, {}), kDestination, kKey));
    EXPECT_FALSE(QuotesRequest(BuildEchoRequest(kKey.id, kKey.sequence + 1, {}), kDestination, kKey));
    EXPECT_FALSE(QuotesRequest(Reply(), kDestination, kKey)) << "a quoted echo reply is not our request";
    EXPECT_FALSE(QuotesRequest(Bytes(request.begin(), request.begin() + 7), kDestination, kKey));
}

}  // namespace
}  // namespace orvane2::icmp
