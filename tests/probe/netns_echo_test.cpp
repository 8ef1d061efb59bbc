// PingIPv4 for real, through the Linux platform, in a private network: a client
// namespace pings hosts that our echo responder plays in a second namespace.
// Every case runs twice: through a ping socket only and through a raw socket only.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "probe/ping_ipv4.h"
#include "test_network.h"

namespace orvane2::test {
namespace {

using std::chrono::milliseconds;

constexpr std::int32_t kEarlierReason = 9;
constexpr std::int32_t kEarlierRoundTrip = 555;

struct PingReport {
    bool answered = false;
    std::int32_t reason = 0;
    std::int32_t status = 0;
    std::int32_t roundTrip = 0;
    milliseconds elapsed{0};
    friend std::ostream& operator<<(std::ostream& os, const PingReport& r) {
        return os << "answered " << r.answered << ", Reason " << r.reason << ", Status " << r.status
                  << ", RoundTripTime " << r.roundTrip << ", after " << r.elapsed.count() << " ms";
    }
};

// One Ping with TimeoutMS 1000 by a probe whose fields hold earlier values.
PingReport TimedPing(const std::string& ip, const std::string& data = {}) {
    PingIPv4 probe;
    probe.Reason = kEarlierReason;
    probe.RoundTripTime = kEarlierRoundTrip;
    const auto start = std::chrono::steady_clock::now();
    const bool answered = probe.Ping(ip, 1000, data);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    return {answered, probe.Reason, probe.Status, probe.RoundTripTime, elapsed};
}

std::string PathName(EchoPath path) {
    return path == EchoPath::kPingSocket ? "PingSocket" : "RawSocket";
}

std::unique_ptr<TestNetwork> Build(EchoPath path, std::string& whyNot) {
    auto created = TestNetwork::Create(path);
    if (auto* why = std::get_if<std::string>(&created)) {
        whyNot = *why;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<TestNetwork>>(created));
}

#define BUILD_NETWORK_OR_SKIP(path)                 \
    do {                                            \
        std::string whyNot;                         \
        network_ = Build((path), whyNot);           \
        if (!network_) {                            \
            GTEST_SKIP() << whyNot;                 \
        }                                           \
    } while (false)

// ---- cases for each path ---------------------------------------------------

class EchoInNamespace : public ::testing::TestWithParam<EchoPath> {
protected:
    void SetUp() override { BUILD_NETWORK_OR_SKIP(GetParam()); }
    std::unique_ptr<TestNetwork> network_;
};

TEST_P(EchoInNamespace, AnsweringHostGivesTrueWithASaneRoundTrip) {
    Responder responder(*network_, {"reply"});
    const auto [small, large, loopback] = network_->InClient([] {
        return std::make_tuple(TimedPing(kHostAddress), TimedPing(kHostAddress, std::string(32767, 'x')),
                               TimedPing("127.0.0.1"));
    });
    for (const PingReport& report : {small, large, loopback}) {
        SCOPED_TRACE(report);
        EXPECT_TRUE(report.answered);
        EXPECT_EQ(report.reason, kEarlierReason);
        EXPECT_EQ(report.status, 0);
        EXPECT_GE(report.roundTrip, 0);
        EXPECT_LT(report.roundTrip, 1000);
    }
}

TEST_P(EchoInNamespace, SilentHostTimesOutAfterOneSecond) {
    Responder responder(*network_, {});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, 11010);
    EXPECT_EQ(report.roundTrip, kEarlierRoundTrip);
    EXPECT_GE(report.elapsed, milliseconds(1000));
    EXPECT_LT(report.elapsed, milliseconds(1500));
}

TEST_P(EchoInNamespace, DelayedAnswerWithinTheTimeoutCounts) {
    Responder responder(*network_, {"wait:400", "reply"});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress); });
    SCOPED_TRACE(report);
    EXPECT_TRUE(report.answered);
    EXPECT_EQ(report.status, 0);
    EXPECT_GE(report.roundTrip, 400);
    EXPECT_LT(report.roundTrip, 1000);
}

TEST_P(EchoInNamespace, DuplicateRepliesAnswerOnlyTheirOwnRequest) {
    Responder responder(*network_, {"reply", "reply", "reply"});
    const auto [first, second] =
        network_->InClient([] { return std::make_pair(TimedPing(kHostAddress), TimedPing(kHostAddress)); });
    EXPECT_TRUE(first.answered) << first;
    EXPECT_TRUE(second.answered) << second;
}

TEST_P(EchoInNamespace, RouterReportingTheHostUnreachableMeansNoAnswer) {
    const PingReport report = network_->InClient([] { return TimedPing(kUnreachableAddress); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, 11003);
    EXPECT_EQ(report.roundTrip, kEarlierRoundTrip);
}

TEST_P(EchoInNamespace, AddressWithoutRouteFailsTheSend) {
    const PingReport report = network_->InClient([] { return TimedPing(kUnroutedAddress); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, 11002);
}

INSTANTIATE_TEST_SUITE_P(Paths, EchoInNamespace, ::testing::Values(EchoPath::kPingSocket, EchoPath::kRawSocket),
                         [](const auto& tested) { return PathName(tested.param); });

// ---- ICMP errors sent by the responder ---------------------------------------

struct ErrorCase {
    std::string action;
    std::int32_t status;
    std::string name;
    friend void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.action; }
};

class IcmpErrorInNamespace : public ::testing::TestWithParam<std::tuple<EchoPath, ErrorCase>> {
protected:
    void SetUp() override { BUILD_NETWORK_OR_SKIP(std::get<0>(GetParam())); }
    std::unique_ptr<TestNetwork> network_;
};

TEST_P(IcmpErrorInNamespace, GivesFalseWithTheWindowsStatus) {
    const ErrorCase& error = std::get<1>(GetParam());
    Responder responder(*network_, {error.action});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, error.status);
    EXPECT_EQ(report.roundTrip, kEarlierRoundTrip);
}

std::string ErrorCaseName(const ::testing::TestParamInfo<std::tuple<EchoPath, ErrorCase>>& tested) {
    return PathName(std::get<0>(tested.param)) + "_" + std::get<1>(tested.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, IcmpErrorInNamespace,
    ::testing::Combine(::testing::Values(EchoPath::kPingSocket, EchoPath::kRawSocket),
                       ::testing::Values(ErrorCase{"unreachable:0", 11002, "NetUnreachable"},
                                         ErrorCase{"unreachable:1", 11003, "HostUnreachable"},
                                         ErrorCase{"unreachable:2", 11004, "ProtocolUnreachable"},
                                         ErrorCase{"unreachable:3", 11005, "PortUnreachable"},
                                         ErrorCase{"unreachable:13", 11003, "AdministrativelyProhibited"},
                                         ErrorCase{"time-exceeded:0", 11013, "TtlExpiredInTransit"})),
    ErrorCaseName);

// Linux discards "fragment reassembly time exceeded" before it reaches a ping
// socket; only a raw socket ever sees one.
INSTANTIATE_TEST_SUITE_P(RawOnlyErrors, IcmpErrorInNamespace,
                         ::testing::Combine(::testing::Values(EchoPath::kRawSocket),
                                            ::testing::Values(ErrorCase{"time-exceeded:1", 11014,
                                                                        "TtlExpiredInReassembly"})),
                         ErrorCaseName);

// ---- packets that look like an answer but are not ----------------------------

class DecoyInNamespace : public ::testing::TestWithParam<std::tuple<EchoPath, std::string>> {
protected:
    void SetUp() override { BUILD_NETWORK_OR_SKIP(std::get<0>(GetParam())); }
    std::unique_ptr<TestNetwork> network_;
};

TEST_P(DecoyInNamespace, IsIgnoredAndTheRealAnswerStillCounts) {
    Responder responder(*network_, {std::get<1>(GetParam()), "wait:300", "reply"});
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress); });
    SCOPED_TRACE(report);
    EXPECT_TRUE(report.answered);
    EXPECT_GE(report.roundTrip, 300) << "the decoy sent at once was taken as the answer";
    EXPECT_LT(report.roundTrip, 1000);
}

TEST_P(DecoyInNamespace, AStreamOfDecoysNeitherAnswersNorMovesTheDeadline) {
    std::vector<std::string> actions;
    for (int i = 0; i < 16; ++i) {  // one every 100 ms, past the timeout
        actions.push_back(std::get<1>(GetParam()));
        actions.push_back("wait:100");
    }
    Responder responder(*network_, actions);
    const PingReport report = network_->InClient([] { return TimedPing(kHostAddress); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 3);
    EXPECT_EQ(report.status, 11010);
    EXPECT_GE(report.elapsed, milliseconds(1000));
    EXPECT_LT(report.elapsed, milliseconds(1500));
}

INSTANTIATE_TEST_SUITE_P(
    Decoys, DecoyInNamespace,
    ::testing::Combine(::testing::Values(EchoPath::kPingSocket, EchoPath::kRawSocket),
                       ::testing::Values("reply-wrong-id", "reply-wrong-seq", "reply-from:" + kOtherHostAddress)),
    [](const auto& tested) {
        std::string decoy = std::get<1>(tested.param);
        decoy = decoy.substr(0, decoy.find(':'));
        for (char& c : decoy) {
            c = c == '-' ? '_' : c;
        }
        return PathName(std::get<0>(tested.param)) + "_" + decoy;
    });

// ---- no way to send ICMP at all --------------------------------------------------

class NoIcmpRights : public ::testing::Test {
protected:
    void SetUp() override { BUILD_NETWORK_OR_SKIP(EchoPath::kRawSocket); }
    std::unique_ptr<TestNetwork> network_;
};

TEST_F(NoIcmpRights, OpeningFailsWithReasonTwoAndTheErrorNumber) {
    // ping_group_range admits nobody and CAP_NET_RAW is gone: an ordinary account
    // on a distribution that does not open ping sockets.
    const PingReport report = network_->InClientWithoutNetRaw([] { return TimedPing("127.0.0.1"); });
    SCOPED_TRACE(report);
    EXPECT_FALSE(report.answered);
    EXPECT_EQ(report.reason, 2);
    EXPECT_EQ(report.status, EPERM);
}

}  // namespace
}  // namespace orvane2::test
