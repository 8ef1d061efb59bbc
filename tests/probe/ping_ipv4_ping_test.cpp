// PingIPv4::Ping on a scripted platform: the failure table, the fields, and what
// is handed to the echo service.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_probe_platform.h"
#include "probe/ping_ipv4.h"

namespace orvane2::test {
namespace {

using Calls = std::vector<std::string>;

const std::string kIp = "192.0.2.5";
const std::uint32_t kAddress = FakeProbePlatform::Address(192, 0, 2, 5);
const Calls kParseOnly = {"ParseAddress"};
const Calls kOpenFailed = {"ParseAddress", "OpenEcho"};
const Calls kFullEcho = {"ParseAddress", "OpenEcho", "SendEcho", "CloseEcho"};

// Field values from earlier calls; a Ping must change only what it owns.
constexpr std::int32_t kEarlierReason = 9;
constexpr std::int32_t kEarlierStatus = 77;
constexpr std::int32_t kEarlierRoundTrip = 555;

struct PingCase {
    std::string name;
    std::string ip;
    std::function<void(FakeProbePlatform&)> script;
    bool result;
    std::int32_t reason;
    std::int32_t status;
    std::int32_t roundTrip;
    Calls calls;
    friend void PrintTo(const PingCase& c, std::ostream* os) { *os << c.name; }
};

class PingOutcome : public ::testing::TestWithParam<PingCase> {};

TEST_P(PingOutcome, SetsResultFieldsAndCalls) {
    const PingCase& c = GetParam();
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;
    p.fake->addresses["255.255.255.255"] = kNotAnAddress;  // what the parser makes of it
    c.script(*p.fake);
    p.probe->Reason = kEarlierReason;
    p.probe->Status = kEarlierStatus;
    p.probe->RoundTripTime = kEarlierRoundTrip;

    EXPECT_EQ(p.probe->Ping(c.ip, 1000, ""), c.result);
    EXPECT_EQ(p.probe->Reason, c.reason);
    EXPECT_EQ(p.probe->Status, c.status);
    EXPECT_EQ(p.probe->RoundTripTime, c.roundTrip);
    EXPECT_EQ(p.fake->calls, c.calls);
    if (c.calls.back() == "CloseEcho") {
        EXPECT_EQ(p.fake->closed, std::vector<EchoHandle>{p.fake->openResult});
    }
}

INSTANTIATE_TEST_SUITE_P(
    FailureTable, PingOutcome,
    ::testing::Values(
        PingCase{"NameInsteadOfAddress", "host.example", [](FakeProbePlatform&) {}, false, 1, 0, kEarlierRoundTrip,
                 kParseOnly},
        PingCase{"AllOnesAddress", "255.255.255.255", [](FakeProbePlatform&) {}, false, 1, 0, kEarlierRoundTrip,
                 kParseOnly},
        PingCase{"OpenFails", kIp,
                 [](FakeProbePlatform& f) {
                     f.openResult = kInvalidEchoHandle;
                     f.openError = 13;
                 },
                 false, 2, 13, kEarlierRoundTrip, kOpenFailed},
        PingCase{"NoReply", kIp,
                 [](FakeProbePlatform& f) {
                     f.sendReplies = 0;
                     f.sendError = 11010;
                 },
                 false, 3, 11010, kEarlierRoundTrip, kFullEcho},
        PingCase{"ReplyRecordReportsIcmpError", kIp,
                 [](FakeProbePlatform& f) { f.replyStatus = 11003; }, false, 3, 11003, kEarlierRoundTrip, kFullEcho},
        PingCase{"CloseFailsAfterReply", kIp,
                 [](FakeProbePlatform& f) {
                     f.closeSucceeds = false;
                     f.closeError = 6;
                 },
                 false, 4, 6, 17, kFullEcho},
        PingCase{"CloseFailsAfterNoReply", kIp,
                 [](FakeProbePlatform& f) {
                     f.sendReplies = 0;
                     f.sendError = 11010;
                     f.closeSucceeds = false;
                     f.closeError = 6;
                 },
                 false, 4, 6, kEarlierRoundTrip, kFullEcho},
        PingCase{"Reply", kIp, [](FakeProbePlatform&) {}, true, kEarlierReason, 0, 17, kFullEcho},
        PingCase{"ReplyOnHandleZero", kIp, [](FakeProbePlatform& f) { f.openResult = 0; }, true, kEarlierReason, 0,
                 17, kFullEcho}),
    [](const ::testing::TestParamInfo<PingCase>& tested) { return tested.param.name; });

TEST(PingArguments, HandsTheEchoServiceItsInputsAndABufferOfPayloadPlus36) {
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;

    ASSERT_TRUE(p.probe->Ping(kIp, 1234, "abc"));
    ASSERT_EQ(p.fake->sent.size(), 1u);
    const auto& echo = p.fake->sent[0];
    EXPECT_EQ(p.fake->parsed, std::vector<std::string>{kIp});
    EXPECT_EQ(echo.handle, p.fake->openResult);
    EXPECT_EQ(echo.destination, kAddress);
    EXPECT_EQ(echo.payload, "abc");
    EXPECT_EQ(echo.payloadSize, 3);
    EXPECT_EQ(echo.replySize, 3u + 36u);
    EXPECT_TRUE(echo.replyZeroed);
    EXPECT_EQ(echo.timeoutMs, 1234);
}

TEST(PingArguments, DefaultsToOneSecondAndNoPayload) {
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;
    ASSERT_TRUE(p.probe->Ping(kIp));
    ASSERT_TRUE(p.probe->Ping(kIp, 250));
    ASSERT_TRUE(p.probe->Ping(kIp, -5, ""));
    ASSERT_EQ(p.fake->sent.size(), 3u);
    EXPECT_EQ(p.fake->sent[0].timeoutMs, 1000);
    EXPECT_EQ(p.fake->sent[1].timeoutMs, 250);
    EXPECT_EQ(p.fake->sent[2].timeoutMs, -5) << "the timeout is handed over unchanged";
    for (const auto& echo : p.fake->sent) {
        EXPECT_EQ(echo.payloadSize, 0);
        EXPECT_EQ(echo.replySize, 36u);
    }
}

TEST(PingArguments, UsesTheAddressTextAsGiven) {
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;
    EXPECT_FALSE(p.probe->Ping(" " + kIp + " "));
    EXPECT_EQ(p.probe->Reason, 1);
    EXPECT_EQ(p.fake->parsed, std::vector<std::string>{" " + kIp + " "});
}

TEST(PingPayload, SendsTheLargestPayload) {
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;
    const std::string data(32767, 'x');
    ASSERT_TRUE(p.probe->Ping(kIp, 1000, data));
    ASSERT_EQ(p.fake->sent.size(), 1u);
    EXPECT_EQ(p.fake->sent[0].payloadSize, 32767);
    EXPECT_EQ(p.fake->sent[0].payload, data);
    EXPECT_EQ(p.fake->sent[0].replySize, 32767u + 36u);
}

TEST(PingPayload, LargerPayloadThrowsAfterOpeningAndClosesTheHandle) {
    for (const std::size_t size : {std::size_t{32768}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        FakeProbe p;
        p.fake->addresses[kIp] = kAddress;
        p.probe->Reason = kEarlierReason;
        p.probe->Status = kEarlierStatus;
        p.probe->RoundTripTime = kEarlierRoundTrip;

        EXPECT_THROW(p.probe->Ping(kIp, 1000, std::string(size, 'x')), std::overflow_error);
        EXPECT_EQ(p.fake->calls, (Calls{"ParseAddress", "OpenEcho", "CloseEcho"}));
        EXPECT_EQ(p.fake->closed, std::vector<EchoHandle>{p.fake->openResult});
        EXPECT_EQ(p.probe->Status, 0);
        EXPECT_EQ(p.probe->Reason, kEarlierReason);
        EXPECT_EQ(p.probe->RoundTripTime, kEarlierRoundTrip);
    }
}

TEST(PingFields, ReasonSurvivesALaterSuccessWhileStatusAndRoundTripFollowIt) {
    FakeProbe p;
    p.fake->addresses[kIp] = kAddress;
    p.fake->sendReplies = 0;
    p.fake->sendError = 11010;
    ASSERT_FALSE(p.probe->Ping(kIp));
    EXPECT_EQ(p.probe->Reason, 3);
    EXPECT_EQ(p.probe->Status, 11010);

    p.fake->sendReplies = 1;
    p.fake->replyRoundTrip = 23;
    ASSERT_TRUE(p.probe->Ping(kIp));
    EXPECT_EQ(p.probe->Reason, 3);
    EXPECT_EQ(p.probe->Status, 0);
    EXPECT_EQ(p.probe->RoundTripTime, 23);

    p.fake->sendReplies = 0;
    ASSERT_FALSE(p.probe->Ping(kIp));
    EXPECT_EQ(p.probe->RoundTripTime, 23) << "a Ping without reply keeps the last round trip";
}

TEST(PingFields, StartAtZero) {
    FakeProbe p;
    EXPECT_EQ(p.probe->Reason, 0);
    EXPECT_EQ(p.probe->Status, 0);
    EXPECT_EQ(p.probe->RoundTripTime, 0);
}

TEST(PingConstruction, RefusesAMissingPlatform) {
    EXPECT_THROW(PingIPv4(std::unique_ptr<ProbePlatform>()), std::invalid_argument);
}

}  // namespace
}  // namespace orvane2::test
