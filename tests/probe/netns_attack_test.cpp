// Attacks on PingIPv4 in the private test network: while Ping waits, the echo
// responder floods the client with thousands of packets a second that are not
// the answer (replies to other requests, near misses of this one, ICMP errors
// about other requests, truncated and malformed packets, other protocols; see
// icmp_flood.h). Ping must still give the right result by its deadline.
// Every case runs twice: through a ping socket only and through a raw socket only.
// The two meet different parts of the flood: a ping socket gets only packets that
// carry its identifier (the client's stack has already dropped bad checksums,
// messages shorter than an ICMP header and errors with broken quotes), while the
// probe's filtered raw socket gets every echo reply, unreachable, time exceeded,
// parameter problem and unknown type (32 and up) with at least an ICMP header.
//
// Each case proves that the flood really happened while Ping waited, twice over:
// from the responder's log (packets sent, counted in 10 ms slices) and from the
// client namespace's own IP counters (packets its stack received).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "icmp_flood.h"
#include "probe/ping_ipv4.h"
#include "test_network.h"

namespace orvane2::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::int32_t kEarlierReason = 9;
constexpr std::int32_t kEarlierRoundTrip = 555;

// Flood packets a second; every flood is paced to this rate.
constexpr int kRate = 20000;

// Of the packets a flood should send in a window, at least this share must have
// been sent (by the log) and received by the client's stack (by its counters).
// Not all: on a busy machine the sender may be held up for tens of milliseconds.
constexpr double kShareProven = 0.5;

std::uint64_t Expected(milliseconds window) {
    return static_cast<std::uint64_t>(kShareProven * kRate * static_cast<double>(window.count()) / 1000.0);
}

// The client namespace's protocol counters (/proc/net/snmp) as "Ip.InReceives" etc.
// Read through thread-self: only the calling thread has joined the namespace.
std::map<std::string, std::uint64_t> StackCounters() {
    std::ifstream snmp("/proc/thread-self/net/snmp");
    std::map<std::string, std::uint64_t> counters;
    std::string names;
    std::string values;
    while (std::getline(snmp, names) && std::getline(snmp, values)) {
        std::istringstream nameFields(names);
        std::istringstream valueFields(values);
        std::string group;
        std::string valueGroup;
        nameFields >> group;
        valueFields >> valueGroup;
        group.pop_back();  // the colon
        std::string name;
        long long value = 0;
        while (nameFields >> name && valueFields >> value) {
            counters[group + "." + name] = static_cast<std::uint64_t>(value);
        }
    }
    return counters;
}

std::uint64_t Delta(const std::map<std::string, std::uint64_t>& before,
                    const std::map<std::string, std::uint64_t>& after, const std::string& name) {
    return after.at(name) - before.at(name);
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator()));
}

struct PingReport {
    bool answered = false;
    std::int32_t reason = 0;
    std::int32_t status = 0;
    std::int32_t roundTrip = 0;
    Clock::time_point start;
    Clock::time_point end;
    std::uint64_t ipReceived = 0;     // packets the client's IP layer received meanwhile
    std::uint64_t icmpErrorsIn = 0;   // ICMP errors among them

    milliseconds Elapsed() const { return std::chrono::duration_cast<milliseconds>(end - start); }
    friend std::ostream& operator<<(std::ostream& os, const PingReport& r) {
        return os << "answered " << r.answered << ", Reason " << r.reason << ", Status " << r.status
                  << ", RoundTripTime " << r.roundTrip << ", after " << r.Elapsed().count() << " ms, "
                  << r.ipReceived << " IP packets and " << r.icmpErrorsIn << " ICMP errors received meanwhile";
    }
};

// One Ping by a probe whose fields hold earlier values; run it in the client namespace.
PingReport TimedPing(const std::string& ip, std::int32_t timeoutMs) {
    PingIPv4 probe;
    probe.Reason = kEarlierReason;
    probe.RoundTripTime = kEarlierRoundTrip;
    PingReport report;
    const auto before = StackCounters();
    report.start = Clock::now();
    report.answered = probe.Ping(ip, timeoutMs, std::string());
    report.end = Clock::now();
    const auto after = StackCounters();
    report.reason = probe.Reason;
    report.status = probe.Status;
    report.roundTrip = probe.RoundTripTime;
    report.ipReceived = Delta(before, after, "Ip.InReceives");
    report.icmpErrorsIn = Delta(before, after, "Icmp.InDestUnreachs") + Delta(before, after, "Icmp.InTimeExcds") +
                          Delta(before, after, "Icmp.InParmProbs");
    return report;
}

// One line of the responder's flood log (format in icmp_flood.cpp).
struct FloodRecord {
    Clock::time_point start;
    milliseconds slice{0};
    std::uint64_t sent = 0;
    std::uint64_t failed = 0;
    std::map<std::string, std::uint64_t> kinds;
    std::vector<std::uint64_t> slices;

    // Packets sent in the slices that lie wholly inside [from, to].
    std::uint64_t SentWithin(Clock::time_point from, Clock::time_point to) const {
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < slices.size(); ++i) {
            const auto sliceStart = start + slice * static_cast<long>(i);
            if (sliceStart >= from && sliceStart + slice <= to) {
                total += slices[i];
            }
        }
        return total;
    }
    friend std::ostream& operator<<(std::ostream& os, const FloodRecord& r) {
        os << "flood of " << r.sent << " packets (" << r.failed << " failed to send):";
        for (const auto& [kind, count] : r.kinds) {
            os << ' ' << kind << ' ' << count;
        }
        return os;
    }
};

std::vector<std::string> SplitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

FloodRecord ParseFloodLine(const std::string& line) {
    FloodRecord record;
    std::istringstream fields(line);
    std::string field;
    fields >> field;  // "flood"
    while (fields >> field) {
        const auto equals = field.find('=');
        const std::string name = field.substr(0, equals);
        const std::string value = field.substr(equals + 1);
        if (name == "start_ns") {
            record.start = Clock::time_point(std::chrono::nanoseconds(std::stoll(value)));
        } else if (name == "slice_ms") {
            record.slice = milliseconds(std::stoi(value));
        } else if (name == "sent") {
            record.sent = std::stoull(value);
        } else if (name == "failed") {
            record.failed = std::stoull(value);
        } else if (name == "kinds") {
            for (const std::string& kind : SplitOn(value, ',')) {
                const auto colon = kind.find(':');
                record.kinds[kind.substr(0, colon)] = std::stoull(kind.substr(colon + 1));
            }
        } else if (name == "slices") {
            for (const std::string& count : SplitOn(value, ',')) {
                record.slices.push_back(std::stoull(count));
            }
        }
    }
    return record;
}

// A flood log of its own for one test, removed afterwards.
class FloodLog {
public:
    FloodLog() {
        static int made = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("orvane2-flood-" + std::to_string(getpid()) + "-" + std::to_string(++made) + ".log");
        std::filesystem::remove(path_);
    }
    FloodLog(const FloodLog&) = delete;
    FloodLog& operator=(const FloodLog&) = delete;
    ~FloodLog() { std::filesystem::remove(path_); }

    // The responder setting that makes it write here.
    std::string Setting() const { return "flood-log:" + path_.string(); }

    // The floods logged so far, waiting up to `patience` for at least `count` of them
    // (a flood is logged when it ends, possibly after Ping returned).
    std::vector<FloodRecord> Wait(std::size_t count, milliseconds patience = milliseconds(5000)) const {
        const auto giveUp = Clock::now() + patience;
        for (;;) {
            std::vector<FloodRecord> records;
            std::ifstream file(path_);
            for (std::string line; std::getline(file, line);) {
                records.push_back(ParseFloodLine(line));
            }
            if (records.size() >= count || Clock::now() >= giveUp) {
                return records;
            }
            std::this_thread::sleep_for(milliseconds(20));
        }
    }

private:
    std::filesystem::path path_;
};

std::string PathName(EchoPath path) {
    return path == EchoPath::kPingSocket ? "PingSocket" : "RawSocket";
}

std::string Flood(const std::string& mix, int durationMs) {
    return "flood:" + mix + ":" + std::to_string(durationMs) + ":" + std::to_string(kRate);
}

class AttackInNamespace : public ::testing::TestWithParam<EchoPath> {
protected:
    void SetUp() override {
        auto created = TestNetwork::Create(GetParam());
        if (auto* why = std::get_if<std::string>(&created)) {
            GTEST_SKIP() << *why;
        }
        network_ = std::move(std::get<std::unique_ptr<TestNetwork>>(created));
    }

    // The flood sent while report's Ping waited, proven from both ends, and shown
    // in the test's output.
    static void ExpectFloodDuring(const FloodRecord& flood, const PingReport& report, milliseconds window) {
        SCOPED_TRACE(flood);
        const std::uint64_t sentWhileWaiting = flood.SentWithin(report.start, report.end);
        std::cout << "[  flood   ] " << sentWhileWaiting << " packets sent during the " << report.Elapsed().count()
                  << " ms of Ping, of a " << flood << "; the client received " << report.ipReceived
                  << " IP packets meanwhile; Ping: " << report << std::endl;
        EXPECT_EQ(flood.failed, 0u);
        EXPECT_GE(sentWhileWaiting, Expected(window)) << "too few flood packets were sent while Ping waited";
        EXPECT_GE(report.ipReceived, Expected(window)) << "the client's stack did not receive the flood";
    }

    std::unique_ptr<TestNetwork> network_;
    FloodLog log_;
};

// (a) The genuine reply comes 300 ms into a flood of every kind: it is found
// among the flood and its round-trip time is the delay, not the time of some
// packet that came earlier.
TEST_P(AttackInNamespace, GenuineReplyAfterAFloodIsTheAnswer) {
    Responder responder(*network_, {log_.Setting(), Flood("mix", 300), "reply"});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress, 1000); });
    SCOPED_TRACE(report);
    EXPECT_TRUE(report.answered);
    EXPECT_EQ(report.reason, kEarlierReason);
    EXPECT_EQ(report.status, 0);
    EXPECT_GE(report.roundTrip, 300) << "a flood packet was taken for the answer";
    EXPECT_LT(report.roundTrip, 600);

    const auto floods = log_.Wait(1);
    ASSERT_EQ(floods.size(), 1u);
    ExpectFloodDuring(floods[0], report, milliseconds(250));
    for (int i = 0; i < static_cast<int>(flood::Kind::kCount); ++i) {
        const std::string kind(flood::KindName(static_cast<flood::Kind>(i)));
        EXPECT_GT(floods[0].kinds.count(kind) != 0 ? floods[0].kinds.at(kind) : 0u, 100u) << kind;
    }
}

// (b) No genuine reply, and the flood goes on past the timeout: Ping fails with
// a timeout at its deadline, which no flood packet moved.
TEST_P(AttackInNamespace, FloodWithoutAnswerTimesOutAtTheDeadline) {
    Responder responder(*network_, {log_.Setting(), Flood("mix", 1800)});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress, 1000); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, 11010);
    EXPECT_EQ(report.roundTrip, kEarlierRoundTrip);
    EXPECT_GE(report.Elapsed(), milliseconds(1000));
    EXPECT_LT(report.Elapsed(), milliseconds(1500)) << "the flood kept Ping waiting past its deadline";

    const auto floods = log_.Wait(1);
    ASSERT_EQ(floods.size(), 1u);
    ExpectFloodDuring(floods[0], report, milliseconds(950));
}

// (c) A flood of ICMP errors about other requests (other numbers, other
// destinations, replies quoted instead of requests, cut or broken quotes), then
// the genuine reply: none of the errors is taken for a report about this request.
TEST_P(AttackInNamespace, ErrorsAboutOtherRequestsDoNotEndTheWait) {
    Responder responder(*network_, {log_.Setting(), Flood("errors", 300), "reply"});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress, 1000); });
    SCOPED_TRACE(report);
    EXPECT_TRUE(report.answered);
    EXPECT_EQ(report.status, 0);
    EXPECT_GE(report.roundTrip, 300) << "an error about another request ended the wait";
    EXPECT_LT(report.roundTrip, 600);

    const auto floods = log_.Wait(1);
    ASSERT_EQ(floods.size(), 1u);
    ExpectFloodDuring(floods[0], report, milliseconds(250));
    EXPECT_GE(report.icmpErrorsIn, Expected(milliseconds(250))) << "the client did not receive the errors";
}

// (d) Pings in a row under flood, alternating an answered host and a silent one
// with a short timeout: every result right, and the process's open descriptors
// as they were.
TEST_P(AttackInNamespace, ManyPingsUnderFloodStayRightAndLeakNothing) {
    constexpr int kRounds = 15;
    // Each request to the host: 60 ms of flood, the reply, 150 ms more flood, which
    // runs while the silent host's Ping waits.
    Responder responder(*network_, {log_.Setting(), Flood("mix", 60), "reply", Flood("mix", 150)});
    struct Rounds {
        std::vector<PingReport> answered;
        std::vector<PingReport> silent;
        std::size_t descriptorsBefore = 0;
        std::size_t descriptorsAfter = 0;
    };
    const Rounds rounds = network_->InClient([] {
        Rounds result;
        result.descriptorsBefore = OpenDescriptors();
        for (int i = 0; i < kRounds; ++i) {
            result.answered.push_back(TimedPing(kHostAddress, 1000));
            result.silent.push_back(TimedPing(kOtherHostAddress, 100));
        }
        result.descriptorsAfter = OpenDescriptors();
        return result;
    });

    std::uint64_t receivedWhileSilent = 0;
    for (int i = 0; i < kRounds; ++i) {
        SCOPED_TRACE("round " + std::to_string(i));
        const PingReport& answered = rounds.answered[static_cast<std::size_t>(i)];
        const PingReport& silent = rounds.silent[static_cast<std::size_t>(i)];
        EXPECT_TRUE(answered.answered) << answered;
        EXPECT_EQ(answered.status, 0) << answered;
        EXPECT_GE(answered.roundTrip, 60) << answered;
        EXPECT_LT(answered.roundTrip, 1000) << answered;
        EXPECT_FALSE(silent.answered) << silent;
        EXPECT_EQ(silent.reason, 3) << silent;
        EXPECT_EQ(silent.status, 11010) << silent;
        EXPECT_GE(silent.Elapsed(), milliseconds(100)) << silent;
        EXPECT_LT(silent.Elapsed(), milliseconds(400)) << silent;
        receivedWhileSilent += silent.ipReceived;
    }
    EXPECT_EQ(rounds.descriptorsAfter, rounds.descriptorsBefore);

    const auto floods = log_.Wait(2 * kRounds);
    ASSERT_EQ(floods.size(), 2u * kRounds);
    std::uint64_t sent = 0;
    std::uint64_t sentWhileAnswered = 0;
    for (std::size_t i = 0; i < floods.size(); ++i) {
        EXPECT_EQ(floods[i].failed, 0u);
        sent += floods[i].sent;
        if (i % 2 == 0) {
            sentWhileAnswered += floods[i].SentWithin(rounds.answered[i / 2].start, rounds.answered[i / 2].end);
        }
    }
    std::cout << "[  flood   ] " << floods.size() << " floods, " << sent << " packets in all, "
              << sentWhileAnswered << " sent while the answered Pings waited; the client received "
              << receivedWhileSilent << " IP packets while the silent Pings waited; descriptors "
              << rounds.descriptorsBefore << " before, " << rounds.descriptorsAfter << " after" << std::endl;
    EXPECT_GE(sent, kRounds * Expected(milliseconds(210)));
    EXPECT_GE(sentWhileAnswered, kRounds * Expected(milliseconds(50))) << "the answered Pings were not flooded";
    EXPECT_GE(receivedWhileSilent, kRounds * Expected(milliseconds(80))) << "the silent Pings were not flooded";
}

// Each kind of flood packet on its own, for 400 ms against a Ping of 250 ms:
// none of them answers the request, reports it failed, or moves the deadline.
TEST_P(AttackInNamespace, NoKindOfFloodPacketAnswersOrMovesTheDeadline) {
    for (int i = 0; i < static_cast<int>(flood::Kind::kCount); ++i) {
        const std::string kind(flood::KindName(static_cast<flood::Kind>(i)));
        SCOPED_TRACE(kind);
        const FloodLog log;
        Responder responder(*network_, {log.Setting(), Flood(kind, 400)});
        const PingReport report = network_->InClient([] { return TimedPing(kHostAddress, 250); });
        SCOPED_TRACE(report);
        EXPECT_FALSE(report.answered);
        EXPECT_EQ(report.reason, 3);
        EXPECT_EQ(report.status, 11010);
        EXPECT_GE(report.Elapsed(), milliseconds(250));
        EXPECT_LT(report.Elapsed(), milliseconds(400));

        const auto floods = log.Wait(1);
        ASSERT_EQ(floods.size(), 1u);
        EXPECT_EQ(floods[0].kinds.size(), 1u);
        ExpectFloodDuring(floods[0], report, milliseconds(200));
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, AttackInNamespace, ::testing::Values(EchoPath::kPingSocket, EchoPath::kRawSocket),
                         [](const auto& tested) { return PathName(tested.param); });

}  // namespace
}  // namespace orvane2::test
