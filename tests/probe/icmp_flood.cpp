#include "icmp_flood.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "probe/unique_fd.h"

namespace orvane2::test::flood {
namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

constexpr unsigned char kEchoReplyType = 0;
constexpr unsigned char kUnreachableType = 3;
constexpr unsigned char kEchoRequestType = 8;
constexpr unsigned char kTimeExceededType = 11;
constexpr unsigned char kParameterProblemType = 12;
constexpr unsigned char kProtocolIcmp = 1;
constexpr unsigned char kProtocolTcp = 6;
constexpr unsigned char kProtocolUdp = 17;
constexpr std::size_t kIpHeaderSize = 20;
constexpr std::size_t kIcmpHeaderSize = 8;
constexpr std::size_t kDestinationOffset = 16;

// Width of the time slices in which the log counts the packets sent.
constexpr int kSliceMs = 10;

constexpr std::array<std::string_view, static_cast<std::size_t>(Kind::kCount)> kKindNames = {
    "unrelated-reply", "wrong-sequence", "wrong-id",  "other-source", "wrong-type", "bad-checksum",
    "error-for-other-request", "truncated", "cut-quote", "stale-tail", "malformed-ip", "non-icmp",
};

// ICMP errors a flood may send without side effects on the client: no "fragmentation
// needed" (it would lower the path MTU) and no redirect (it would change a route).
struct ErrorType {
    unsigned char type;
    unsigned char code;
};
constexpr std::array<ErrorType, 10> kErrorTypes = {{
    {kUnreachableType, 0}, {kUnreachableType, 1}, {kUnreachableType, 2}, {kUnreachableType, 3},
    {kUnreachableType, 9}, {kUnreachableType, 10}, {kUnreachableType, 13}, {kTimeExceededType, 0},
    {kTimeExceededType, 1}, {kParameterProblemType, 0},
}};

// ICMP types that are neither replies nor errors and that the client's stack
// ignores (no echo or timestamp requests, which it would answer, no redirects).
constexpr std::array<unsigned char, 10> kIgnoredTypes = {1, 2, 6, 7, 9, 10, 14, 16, 18, 19};

in_addr_t Address(unsigned a, unsigned b, unsigned c, unsigned d) {
    return htonl((a << 24) | (b << 16) | (c << 8) | d);
}

bool InTestNetwork(in_addr_t address) {
    return (ntohl(address) & 0xFFFFFF00u) == 0xC0000200u;  // 192.0.2.0/24
}

// RFC 1071 checksum, written here independently of the probe's own.
std::uint16_t Checksum(const unsigned char* data, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < size; i += 2) {
        sum += static_cast<std::uint32_t>(data[i]) << 8;
        if (i + 1 < size) {
            sum += data[i + 1];
        }
    }
    while ((sum >> 16) != 0) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

void Put16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<unsigned char>(value >> 8);
    bytes[offset + 1] = static_cast<unsigned char>(value & 0xFF);
}

void PutAddress(Bytes& bytes, std::size_t offset, in_addr_t address) {
    std::memcpy(bytes.data() + offset, &address, sizeof address);
}

// Fills the checksum field at offset + 2 of the ICMP message from offset to the end.
void SetIcmpChecksum(Bytes& bytes, std::size_t offset) {
    bytes[offset + 2] = bytes[offset + 3] = 0;
    Put16(bytes, offset + 2, Checksum(bytes.data() + offset, bytes.size() - offset));
}

void SetIpChecksum(Bytes& packet) {
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(packet[0] & 0x0F) * 4, packet.size());
    packet[10] = packet[11] = 0;
    Put16(packet, 10, Checksum(packet.data(), std::max(length, kIpHeaderSize)));
}

// An ICMP message: type, code, the two 16-bit words of the rest of the header,
// then body; with a correct checksum.
Bytes Icmp(unsigned char type, unsigned char code, std::uint16_t word1, std::uint16_t word2, const Bytes& body) {
    Bytes message(kIcmpHeaderSize);
    message[0] = type;
    message[1] = code;
    Put16(message, 4, word1);
    Put16(message, 6, word2);
    message.insert(message.end(), body.begin(), body.end());
    SetIcmpChecksum(message, 0);
    return message;
}

// A well-formed IPv4 header (no options) followed by payload.
Bytes IpPacket(in_addr_t source, in_addr_t destination, unsigned char protocol, const Bytes& payload) {
    Bytes packet(kIpHeaderSize);
    packet[0] = 0x45;
    Put16(packet, 2, static_cast<std::uint16_t>(kIpHeaderSize + payload.size()));
    packet[8] = 64;  // TTL
    packet[9] = protocol;
    PutAddress(packet, 12, source);
    PutAddress(packet, kDestinationOffset, destination);
    packet.insert(packet.end(), payload.begin(), payload.end());
    SetIpChecksum(packet);
    return packet;
}

class Generator {
public:
    Generator(const Target& target, std::uint32_t seed) : target_(target), random_(seed) {}

    // One packet of kind aimed at the client: a whole IPv4 packet, possibly broken.
    Bytes Next(Kind kind) {
        const unsigned turn = turns_[static_cast<std::size_t>(kind)]++;
        switch (kind) {
        case Kind::kUnrelatedReply: {
            std::uint16_t id = 0;
            std::uint16_t sequence = 0;
            do {
                id = Random16();
                sequence = Random16();
            } while (id == target_.id && sequence == target_.sequence);
            return FromHost(Icmp(kEchoReplyType, 0, id, sequence, RandomBytes(0, 56)));
        }
        case Kind::kWrongSequence:
            return FromHost(Icmp(kEchoReplyType, 0, target_.id, Other(target_.sequence), RandomBytes(0, 56)));
        case Kind::kWrongId:
            return FromHost(Icmp(kEchoReplyType, 0, Other(target_.id), target_.sequence, RandomBytes(0, 56)));
        case Kind::kOtherSource: {
            // The exact reply, empty like the request, from an address that is not the host.
            const in_addr_t sources[] = {Address(192, 0, 2, 3), Address(198, 51, 100, 1 + Below(126)),
                                         Address(192, 0, 2, 4 + Below(250))};
            return IpPacket(sources[turn % 3], target_.client, kProtocolIcmp,
                            Icmp(kEchoReplyType, 0, target_.id, target_.sequence, {}));
        }
        case Kind::kWrongType:
            return FromHost(WrongType(turn));
        case Kind::kBadChecksum: {
            Bytes reply = Icmp(kEchoReplyType, 0, target_.id, target_.sequence, RandomBytes(0, 8));
            BreakChecksum(reply, 0);
            return FromHost(reply);
        }
        case Kind::kErrorForOtherRequest:
            return ErrorForOtherRequest(turn);
        case Kind::kTruncated:
            return FromHost(Truncated(1 + turn % 7));
        case Kind::kCutQuote:
            return CutQuote(turn);
        case Kind::kStaleTail:
            return StaleTail(turn);
        case Kind::kMalformedIp:
            return MalformedIp(turn);
        case Kind::kNonIcmp:
            return NonIcmp(turn);
        case Kind::kCount:
            break;
        }
        std::abort();
    }

private:
    std::uint16_t Random16() { return static_cast<std::uint16_t>(random_() & 0xFFFF); }
    unsigned Below(unsigned bound) { return static_cast<unsigned>(random_() % bound); }
    // Any 16-bit value but value.
    std::uint16_t Other(std::uint16_t value) { return static_cast<std::uint16_t>(value + 1 + Below(65535)); }

    Bytes RandomBytes(unsigned least, unsigned most) {
        Bytes bytes(least + Below(most - least + 1));
        for (auto& byte : bytes) {
            byte = static_cast<unsigned char>(random_());
        }
        return bytes;
    }

    Bytes FromHost(const Bytes& icmpMessage) {
        return IpPacket(target_.host, target_.client, kProtocolIcmp, icmpMessage);
    }

    // Changes the checksum of the ICMP message at offset to a value that does not verify.
    void BreakChecksum(Bytes& bytes, std::size_t offset) {
        const std::uint16_t right = static_cast<std::uint16_t>((bytes[offset + 2] << 8) | bytes[offset + 3]);
        do {
            Put16(bytes, offset + 2, Other(right));
        } while (Checksum(bytes.data() + offset, bytes.size() - offset) == 0);
    }

    // The header of the request the client sent, as an error would quote it: IP
    // header from client to host, then the 8-byte echo request header.
    Bytes QuotedRequest() {
        return IpPacket(target_.client, target_.host, kProtocolIcmp,
                        Icmp(kEchoRequestType, 0, target_.id, target_.sequence, {}));
    }

    Bytes ErrorMessage(const Bytes& quoted) {
        const ErrorType error = kErrorTypes[Below(kErrorTypes.size())];
        return Icmp(error.type, error.code, 0, 0, quoted);
    }

    // The request's identifier and sequence number under a type that answers nothing,
    // or a message of random bytes under such a type.
    Bytes WrongType(unsigned turn) {
        const unsigned char type = turn % 2 == 0 ? kIgnoredTypes[Below(kIgnoredTypes.size())]
                                                 : static_cast<unsigned char>(20 + Below(236));
        const auto code = static_cast<unsigned char>(random_());
        if (turn % 4 < 2) {
            return Icmp(type, code, target_.id, target_.sequence, {});
        }
        Bytes garbage = RandomBytes(kIcmpHeaderSize, 64);
        garbage[0] = type;
        garbage[1] = code;
        if (turn % 8 < 4) {
            SetIcmpChecksum(garbage, 0);
        }
        return garbage;
    }

    // An error quoting an echo request the client did not send this time.
    Bytes ErrorForOtherRequest(unsigned turn) {
        in_addr_t destination = target_.host;
        unsigned char protocol = kProtocolIcmp;
        unsigned char type = kEchoRequestType;
        unsigned char code = 0;
        std::uint16_t id = target_.id;
        std::uint16_t sequence = target_.sequence;
        switch (turn % 7) {
        case 0:  // some other request to the host
            do {
                id = Random16();
                sequence = Random16();
            } while (id == target_.id && sequence == target_.sequence);
            break;
        case 1:  // an earlier or later request of the same client socket
            sequence = Other(sequence);
            break;
        case 2:  // the same numbers, but sent to another address
            destination = turn % 2 == 0 ? Address(192, 0, 2, 3) : Address(198, 51, 100, 1 + Below(126));
            break;
        case 3:  // an echo reply with the same numbers, not a request
            type = kEchoReplyType;
            break;
        case 4:  // an echo request with a code other than 0
            code = static_cast<unsigned char>(1 + Below(255));
            break;
        case 5:  // a UDP datagram whose first 8 bytes look like the request
            protocol = kProtocolUdp;
            break;
        default:  // a request to a router's network with the same sequence number
            destination = Address(198, 51, 100, 1 + Below(126));
            id = Random16();
            break;
        }
        Bytes quotedHeader = Icmp(type, code, id, sequence, {});
        const Bytes more = RandomBytes(0, 32);
        quotedHeader.insert(quotedHeader.end(), more.begin(), more.end());
        const Bytes quoted = IpPacket(target_.client, destination, protocol, quotedHeader);
        const in_addr_t senders[] = {target_.host, Address(192, 0, 2, 3), Address(198, 51, 100, 1)};
        return IpPacket(senders[turn % 3], target_.client, kProtocolIcmp, ErrorMessage(quoted));
    }

    // 1 to 7 bytes: the start of an echo reply or error header with the request's
    // numbers, its checksum made to verify over the bytes present when it fits.
    Bytes Truncated(unsigned size) {
        const unsigned char types[] = {kEchoReplyType, kUnreachableType, kTimeExceededType, kParameterProblemType};
        Bytes message = Icmp(types[Below(4)], 0, target_.id, target_.sequence, {});
        message.resize(size);
        if (size >= 4) {
            SetIcmpChecksum(message, 0);
        }
        return message;
    }

    // Errors quoting the client's very request in a broken or cut-short form. Where
    // the quote still carries the request's numbers, the client's own stack drops the
    // error before a ping socket sees it; only a raw socket meets these.
    Bytes CutQuote(unsigned turn) {
        Bytes quoted = QuotedRequest();  // 20 + 8 bytes
        switch (turn % 5) {
        case 0:  // the quoted ICMP header cut to 0..7 bytes
            quoted.resize(kIpHeaderSize + Below(kIcmpHeaderSize));
            break;
        case 1:  // the quoted IP header itself cut short
            quoted.resize(1 + Below(kIpHeaderSize - 1));
            break;
        case 2:  // a quoted header length of 24..60 bytes, with only 20 present
            quoted[0] = static_cast<unsigned char>(0x40 | (6 + Below(10)));
            break;
        case 3:  // a quoted header length below the minimum
            quoted[0] = static_cast<unsigned char>(0x40 | Below(5));
            break;
        default: {  // another IP version, quoting a neighbouring sequence number
            const unsigned char versions[] = {0x05, 0x65, 0xF5};
            quoted = IpPacket(target_.client, target_.host, kProtocolIcmp,
                              Icmp(kEchoRequestType, 0, target_.id, Other(target_.sequence), {}));
            quoted[0] = versions[Below(3)];
            break;
        }
        }
        return FromHost(ErrorMessage(quoted));
    }

    // Pairs: first a full packet that is rejected for its checksum only, then a short
    // one that would be taken for the answer (or an error about the request) by a
    // reader that looked past its end into what the first one left in the buffer.
    Bytes StaleTail(unsigned turn) {
        const bool second = turn % 2 == 1;
        if ((turn / 2) % 2 == 0) {
            if (!second) {
                Bytes reply = Icmp(kEchoReplyType, 0, target_.id, target_.sequence, {});
                BreakChecksum(reply, 0);
                return FromHost(reply);
            }
            Bytes start = {kEchoReplyType, 0, 0, 0};
            SetIcmpChecksum(start, 0);
            return FromHost(start);
        }
        Bytes error = Icmp(kUnreachableType, 1, 0, 0, QuotedRequest());
        if (!second) {
            BreakChecksum(error, 0);
        } else {
            error.resize(kIcmpHeaderSize + kIpHeaderSize + Below(kIcmpHeaderSize));
            SetIcmpChecksum(error, 0);
        }
        return FromHost(error);
    }

    // A near miss (an echo reply with the next sequence number) behind a broken IPv4
    // header. The client's stack drops most of these before any socket.
    Bytes MalformedIp(unsigned turn) {
        Bytes packet = FromHost(Icmp(kEchoReplyType, 0, target_.id, Other(target_.sequence), RandomBytes(0, 16)));
        switch (turn % 8) {
        case 0:  // wrong header checksum
            packet[10] ^= static_cast<unsigned char>(1 + Below(255));
            return packet;
        case 1:  // not version 4
            packet[0] = static_cast<unsigned char>((turn % 3 == 0 ? 0x00 : turn % 3 == 1 ? 0x60 : 0xF0) | 5);
            break;
        case 2:  // header length below 20 bytes
            packet[0] = static_cast<unsigned char>(0x40 | Below(5));
            break;
        case 3:  // header length beyond the packet
            packet.resize(kIpHeaderSize + kIcmpHeaderSize);
            packet[0] = static_cast<unsigned char>(0x40 | (8 + Below(8)));
            Put16(packet, 2, static_cast<std::uint16_t>(packet.size()));
            break;
        case 4:  // total length claims more than is there
            Put16(packet, 2, static_cast<std::uint16_t>(packet.size() + 1 + Below(1000)));
            break;
        case 5:  // total length claims less: the stack cuts the ICMP message short
            Put16(packet, 2, static_cast<std::uint16_t>(kIpHeaderSize + Below(kIcmpHeaderSize)));
            break;
        case 6: {  // a well-formed header with 4..12 bytes of no-operation options
            const std::size_t optionBytes = 4 * (1 + Below(3));
            packet.insert(packet.begin() + kIpHeaderSize, optionBytes, 1);
            packet[0] = static_cast<unsigned char>(0x40 | ((kIpHeaderSize + optionBytes) / 4));
            Put16(packet, 2, static_cast<std::uint16_t>(packet.size()));
            break;
        }
        default:  // only part of an IP header (the destination is sent only in full headers)
            packet.resize(1 + Below(kDestinationOffset - 1));
            return packet;
        }
        SetIpChecksum(packet);
        return packet;
    }

    // Random bytes under other IP protocols: UDP, TCP and two unassigned numbers.
    // (UDP and TCP almost always fail their checksum and are dropped silently.)
    Bytes NonIcmp(unsigned turn) {
        const unsigned char protocols[] = {kProtocolUdp, kProtocolTcp, 253, 254};
        return IpPacket(target_.host, target_.client, protocols[turn % 4], RandomBytes(kIcmpHeaderSize, 64));
    }

    Target target_;
    std::mt19937 random_;
    std::array<unsigned, static_cast<std::size_t>(Kind::kCount)> turns_{};
};

struct Link {
    int ifindex = 0;
    std::array<unsigned char, 6> hardwareAddress{};
};

// The interface and hardware address through which this namespace reaches client,
// from its (static) neighbour table. Refuses anything outside the test network.
Link FindLink(in_addr_t client) {
    char clientText[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &client, clientText, sizeof clientText);
    if (!InTestNetwork(client)) {
        throw std::runtime_error(std::string("refusing to flood ") + clientText + ", outside 192.0.2.0/24");
    }
    std::ifstream table("/proc/net/arp");
    std::string line;
    std::getline(table, line);  // column titles
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string ip, hardwareType, flags, hardware, mask, device;
        if (!(fields >> ip >> hardwareType >> flags >> hardware >> mask >> device) || ip != clientText ||
            (std::stoul(flags, nullptr, 16) & ATF_COM) == 0) {
            continue;
        }
        Link link;
        unsigned parts[6] = {};
        if (std::sscanf(hardware.c_str(), "%x:%x:%x:%x:%x:%x", &parts[0], &parts[1], &parts[2], &parts[3],
                        &parts[4], &parts[5]) != 6) {
            continue;
        }
        for (int i = 0; i < 6; ++i) {
            link.hardwareAddress[static_cast<std::size_t>(i)] = static_cast<unsigned char>(parts[i]);
        }
        link.ifindex = static_cast<int>(if_nametoindex(device.c_str()));
        if (link.ifindex != 0) {
            return link;
        }
    }
    throw std::runtime_error(std::string("no neighbour entry for ") + clientText);
}

std::vector<Kind> KindsOf(const std::string& mix) {
    if (mix == "mix") {
        std::vector<Kind> all;
        for (int i = 0; i < static_cast<int>(Kind::kCount); ++i) {
            all.push_back(static_cast<Kind>(i));
        }
        return all;
    }
    if (mix == "errors") {
        return {Kind::kErrorForOtherRequest, Kind::kCutQuote};
    }
    for (std::size_t i = 0; i < kKindNames.size(); ++i) {
        if (kKindNames[i] == mix) {
            return {static_cast<Kind>(i)};
        }
    }
    throw std::invalid_argument("unknown flood mix: " + mix);
}

int ParseCount(const std::string& text) {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size() || value <= 0) {
        throw std::invalid_argument("not a positive number: " + text);
    }
    return value;
}

// One line per flood:
//   flood start_ns=N slice_ms=10 rate=R duration_ms=D sent=S failed=F kinds=NAME:COUNT,... slices=C,C,...
// start_ns is the steady clock (CLOCK_MONOTONIC) when the flood began; slice i
// counts the packets sent in [start + i*slice_ms, start + (i+1)*slice_ms).
void WriteLog(const std::string& path, const Plan& plan, Clock::time_point start, std::uint64_t sent,
              std::uint64_t failed, const std::array<std::uint64_t, kKindNames.size()>& perKind,
              const std::vector<std::uint64_t>& slices) {
    std::ostringstream line;
    line << "flood start_ns=" << std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count()
         << " slice_ms=" << kSliceMs << " rate=" << plan.ratePerSecond << " duration_ms=" << plan.durationMs
         << " sent=" << sent << " failed=" << failed << " kinds=";
    bool first = true;
    for (std::size_t i = 0; i < perKind.size(); ++i) {
        if (perKind[i] != 0) {
            line << (first ? "" : ",") << kKindNames[i] << ':' << perKind[i];
            first = false;
        }
    }
    line << " slices=";
    for (std::size_t i = 0; i < slices.size(); ++i) {
        line << (i == 0 ? "" : ",") << slices[i];
    }
    line << '\n';
    const std::string text = line.str();
    const orvane2::UniqueFd fd(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd || write(fd.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        std::perror("flood: log");
    }
}

}  // namespace

std::string_view KindName(Kind kind) {
    return kKindNames.at(static_cast<std::size_t>(kind));
}

Plan ParsePlan(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, ':');) {
        parts.push_back(part);
    }
    if (parts.size() < 2 || parts.size() > 3) {
        throw std::invalid_argument("flood wants MIX:MS[:RATE], not " + text);
    }
    Plan plan;
    plan.kinds = KindsOf(parts[0]);
    plan.durationMs = ParseCount(parts[1]);
    if (parts.size() == 3) {
        plan.ratePerSecond = ParseCount(parts[2]);
    }
    if (plan.durationMs > kMaxDurationMs || plan.ratePerSecond > kMaxRatePerSecond) {
        throw std::invalid_argument("flood beyond its limits: " + text);
    }
    return plan;
}

void Run(const Plan& plan, const Target& target, const std::string& logPath) {
    const Link link = FindLink(target.client);
    // Protocol 0: this socket only sends, it never queues what the link receives.
    const orvane2::UniqueFd fd(socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        throw std::system_error(errno, std::generic_category(), "flood: packet socket");
    }
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_protocol = htons(ETH_P_IP);
    to.sll_ifindex = link.ifindex;
    to.sll_halen = static_cast<unsigned char>(link.hardwareAddress.size());
    std::copy(link.hardwareAddress.begin(), link.hardwareAddress.end(), to.sll_addr);

    Generator generator(target, (static_cast<std::uint32_t>(target.id) << 16) ^ target.sequence ^ 0x5eed);
    const auto duration = std::chrono::milliseconds(plan.durationMs);
    const std::uint64_t limit =
        std::min<std::uint64_t>(kMaxPackets, static_cast<std::uint64_t>(plan.ratePerSecond) * plan.durationMs / 1000);
    // Packets are sent in bursts of a millisecond's worth, then the sender sleeps
    // until the next burst is due.
    const std::uint64_t burst = std::max(1, plan.ratePerSecond / 1000);
    std::vector<std::uint64_t> slices(static_cast<std::size_t>(plan.durationMs / kSliceMs + 1));
    std::array<std::uint64_t, kKindNames.size()> perKind{};
    std::uint64_t attempted = 0;
    std::uint64_t sent = 0;
    std::uint64_t failed = 0;

    const auto start = Clock::now();
    const auto end = start + duration;
    const auto rate = static_cast<std::uint64_t>(plan.ratePerSecond);
    const auto dueTime = [&](std::uint64_t packets) {
        return start + std::chrono::nanoseconds(packets * 1000000000ull / rate);
    };
    while (attempted < limit) {
        const auto now = Clock::now();
        if (now >= end) {
            break;
        }
        if (dueTime(attempted) > now) {
            std::this_thread::sleep_until(std::min(dueTime(attempted + burst - 1), end));
            continue;
        }
        const Kind kind = plan.kinds[attempted % plan.kinds.size()];
        const Bytes packet = generator.Next(kind);
        // Every packet that carries a destination at all carries the client's.
        if (packet.size() >= kDestinationOffset + 4 &&
            std::memcmp(packet.data() + kDestinationOffset, &target.client, 4) != 0) {
            std::fprintf(stderr, "flood: a packet not addressed to the client\n");
            std::abort();
        }
        ++attempted;
        if (sendto(fd.get(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
            ++failed;
            continue;
        }
        ++sent;
        ++perKind[static_cast<std::size_t>(kind)];
        const auto slice = static_cast<std::size_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() / kSliceMs);
        ++slices[std::min(slice, slices.size() - 1)];
    }
    // A flood lasts its whole duration even when its packets ran out earlier, so that
    // the actions after it start when the plan says.
    std::this_thread::sleep_until(end);
    if (!logPath.empty()) {
        WriteLog(logPath, plan, start, sent, failed, perKind, slices);
    }
}

}  // namespace orvane2::test::flood
