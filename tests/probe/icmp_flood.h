#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Attack traffic for the probe's namespace tests: a bounded, paced stream of
// packets aimed at the client that sent one echo request, none of which is the
// answer to that request (nor a valid ICMP error about it). The echo responder
// sends it from the hosts namespace while the client's Ping waits.
//
// Every packet is written as a whole IPv4 packet to a packet socket on the link
// towards the client, so that broken IP headers can be sent too. The link and the
// client's hardware address come from the hosts namespace's neighbour table; the
// client must lie in 192.0.2.0/24 (the test network), or nothing is sent.
namespace orvane2::test::flood {

enum class Kind {
    kUnrelatedReply,         // echo reply from the host, other identifier and sequence number
    kWrongSequence,          // echo reply from the host, the request's identifier, other sequence number
    kWrongId,                // echo reply from the host, the request's sequence number, other identifier
    kOtherSource,            // the request's identifier and sequence number, from another address
    kWrongType,              // the request's identifier and sequence number under a type that is no reply
    kBadChecksum,            // the answer itself, but with a wrong ICMP checksum
    kErrorForOtherRequest,   // unreachable/time exceeded/parameter problem quoting some other packet
    kTruncated,              // an ICMP message shorter than an ICMP header
    kCutQuote,               // an ICMP error whose quoted IP header or ICMP header is cut short or broken
    kStaleTail,              // a rejected full packet, then a short one whose missing tail it would supply
    kMalformedIp,            // broken IP header: checksum, version, header length, total length
    kNonIcmp,                // UDP and unassigned IP protocols
    kCount
};

std::string_view KindName(Kind kind);

// What a flood is aimed at: the echo request as the hosts namespace received it.
struct Target {
    in_addr_t client = 0;  // the request's source, where every packet goes
    in_addr_t host = 0;    // the request's destination
    std::uint16_t id = 0;
    std::uint16_t sequence = 0;
};

// Limits every flood obeys, whatever it is asked for.
inline constexpr int kMaxDurationMs = 5000;
inline constexpr int kMaxRatePerSecond = 200000;
inline constexpr std::uint64_t kMaxPackets = 250000;
inline constexpr int kDefaultRatePerSecond = 20000;

struct Plan {
    std::vector<Kind> kinds;  // sent in turn, one packet of each
    int durationMs = 0;
    int ratePerSecond = kDefaultRatePerSecond;
};

// "MIX:MS[:RATE]": MIX is "mix" (every kind), "errors" (ICMP errors about other
// requests, cut quotes and the stale-tail pairs), or one kind's name. Throws
// std::invalid_argument on anything else or when a limit is exceeded.
Plan ParsePlan(const std::string& text);

// Sends plan's packets at target.client for plan.durationMs, paced to
// plan.ratePerSecond and never more than kMaxPackets, and returns when
// plan.durationMs have passed. When logPath is not empty,
// appends one line about the flood to it (see FormatLog in the .cpp). Throws
// std::runtime_error when the client is outside the test network or cannot be
// reached through a packet socket.
void Run(const Plan& plan, const Target& target, const std::string& logPath);

}  // namespace orvane2::test::flood
