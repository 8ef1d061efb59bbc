// PingIPv4::Resolve on a scripted platform: the result table, trimming, and
// when the caller's IP is written.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fake_probe_platform.h"
#include "probe/ping_ipv4.h"

namespace orvane2::test {
namespace {

using Calls = std::vector<std::string>;

const std::string kName = "host.example";
const std::string kEarlierIp = "earlier value";
const Calls kLookupCalls = {"ParseAddress", "StartSockets", "LookupHost", "CleanupSockets"};
const Calls kAllCalls = {"ParseAddress", "StartSockets", "LookupHost", "FormatAddress", "CopyText", "CleanupSockets"};

struct ResolveCase {
    std::string name;
    std::string input;
    std::function<void(FakeProbePlatform&)> script;
    std::int32_t result;
    std::optional<std::string> ip;  // nullopt: the caller's value is kept
    Calls calls;
    friend void PrintTo(const ResolveCase& c, std::ostream* os) { *os << c.name; }
};

class ResolveOutcome : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveOutcome, ReturnsCodeWritesIpAndCalls) {
    const ResolveCase& c = GetParam();
    FakeProbe p;
    p.fake->addresses["192.0.2.5"] = FakeProbePlatform::Address(192, 0, 2, 5);
    p.fake->addresses["10.1"] = FakeProbePlatform::Address(10, 0, 0, 1);
    p.fake->addresses["255.255.255.255"] = kNotAnAddress;
    c.script(*p.fake);

    std::string ip = kEarlierIp;
    EXPECT_EQ(p.probe->Resolve(c.input, ip), c.result);
    EXPECT_EQ(ip, c.ip.value_or(kEarlierIp));
    EXPECT_EQ(p.fake->calls, c.calls);
}

HostEntry Entry(std::vector<std::uint32_t> addresses) {
    return HostEntry{std::move(addresses)};
}

INSTANTIATE_TEST_SUITE_P(
    ResultTable, ResolveOutcome,
    ::testing::Values(
        ResolveCase{"DottedAddress", "  192.0.2.5  ", [](FakeProbePlatform&) {}, 0, "192.0.2.5", {"ParseAddress"}},
        ResolveCase{"ShortAddressKeptAsWritten", " 10.1 ", [](FakeProbePlatform&) {}, 0, "10.1", {"ParseAddress"}},
        ResolveCase{"StartUpFails", kName, [](FakeProbePlatform& f) { f.startResult = 10091; }, 10091, std::nullopt,
                    {"ParseAddress", "StartSockets"}},
        ResolveCase{"LookupFails", kName,
                    [](FakeProbePlatform& f) {
                        f.lookupResult = std::nullopt;
                        f.lookupError = 11002;
                    },
                    11002, std::nullopt, kLookupCalls},
        ResolveCase{"LookupFailsWithoutErrorCode", kName,
                    [](FakeProbePlatform& f) {
                        f.lookupResult = std::nullopt;
                        f.lookupError = 0;
                    },
                    11001, std::nullopt, kLookupCalls},
        ResolveCase{"EntryWithoutAddress", kName, [](FakeProbePlatform& f) { f.lookupResult = HostEntry{}; }, 11004,
                    std::nullopt, kLookupCalls},
        ResolveCase{"FormattingFails", kName, [](FakeProbePlatform& f) { f.formatFails = true; }, 1, std::nullopt,
                    {"ParseAddress", "StartSockets", "LookupHost", "FormatAddress", "CleanupSockets"}},
        ResolveCase{"CopyFails", kName, [](FakeProbePlatform& f) { f.copyFails = true; }, 1, std::nullopt, kAllCalls},
        ResolveCase{"Found", kName, [](FakeProbePlatform&) {}, 0, "192.0.2.10", kAllCalls},
        ResolveCase{"FirstOfSeveralAddresses", kName,
                    [](FakeProbePlatform& f) {
                        f.lookupResult = Entry({FakeProbePlatform::Address(198, 51, 100, 1),
                                                FakeProbePlatform::Address(192, 0, 2, 10)});
                    },
                    0, "198.51.100.1", kAllCalls},
        ResolveCase{"CleanUpFailsAfterSuccess", kName,
                    [](FakeProbePlatform& f) {
                        f.cleanupResult = -1;
                        f.cleanupError = 10093;
                    },
                    10093, "192.0.2.10", kAllCalls},
        ResolveCase{"CleanUpFailsAfterFailedLookup", kName,
                    [](FakeProbePlatform& f) {
                        f.lookupResult = std::nullopt;
                        f.lookupError = 11001;
                        f.cleanupResult = -1;
                        f.cleanupError = 10050;
                    },
                    10050, std::nullopt, kLookupCalls},
        ResolveCase{"CleanUpFailsWithoutErrorCode", kName,
                    [](FakeProbePlatform& f) {
                        f.cleanupResult = -1;
                        f.cleanupError = 0;
                    },
                    -1, "192.0.2.10", kAllCalls},
        ResolveCase{"AllOnesIsLookedUpAsAName", "255.255.255.255",
                    [](FakeProbePlatform& f) { f.lookupResult = Entry({kNotAnAddress}); }, 0, "255.255.255.255",
                    kAllCalls}),
    [](const ::testing::TestParamInfo<ResolveCase>& tested) { return tested.param.name; });

TEST(ResolveSteps, LooksUpTheTrimmedNameWithVersionTwoTwoAndCopiesWithTheTerminatorCounted) {
    FakeProbe p;
    std::string ip;
    ASSERT_EQ(p.probe->Resolve("  " + kName + " ", ip), 0);
    EXPECT_EQ(p.fake->parsed, std::vector<std::string>{kName});
    EXPECT_EQ(p.fake->startVersion, 0x0202);
    EXPECT_EQ(p.fake->lookedUp, kName);
    EXPECT_EQ(p.fake->formatted, FakeProbePlatform::Address(192, 0, 2, 10));
    EXPECT_EQ(p.fake->copyBound, std::string("192.0.2.10").size() + 1);
}

TEST(ResolveSteps, TrimsOnlyTheSpaceCharacter) {
    const struct {
        std::string input;
        std::string trimmed;
    } cases[] = {
        {"  name  ", "name"},        {"\tname ", "\tname"},   {" name\t", "name\t"}, {" na me ", "na me"},
        {"\xC2\xA0name", "\xC2\xA0name"}, {"name\n", "name\n"}, {"   ", ""},          {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("input \"" + c.input + "\"");
        FakeProbe p;
        std::string ip;
        p.probe->Resolve(c.input, ip);
        ASSERT_EQ(p.fake->parsed.size(), 1u);
        EXPECT_EQ(p.fake->parsed[0], c.trimmed);
        EXPECT_EQ(p.fake->lookedUp, c.trimmed);
    }
}

TEST(ResolveSteps, KeepsWhateverTheCallerHeldOnFailure) {
    for (const std::string earlier : {"", "192.0.2.99", "some text"}) {
        SCOPED_TRACE("earlier \"" + earlier + "\"");
        FakeProbe p;
        p.fake->lookupResult = std::nullopt;
        p.fake->lookupError = 11001;
        std::string ip = earlier;
        EXPECT_EQ(p.probe->Resolve(kName, ip), 11001);
        EXPECT_EQ(ip, earlier);
    }
}

TEST(ResolveSteps, WritesNoneOfTheFields) {
    FakeProbe p;
    p.probe->Reason = 3;
    p.probe->Status = 11010;
    p.probe->RoundTripTime = 8;
    p.fake->cleanupResult = -1;
    std::string ip;
    EXPECT_NE(p.probe->Resolve(kName, ip), 0);
    EXPECT_EQ(p.probe->Reason, 3);
    EXPECT_EQ(p.probe->Status, 11010);
    EXPECT_EQ(p.probe->RoundTripTime, 8);
}

}  // namespace
}  // namespace orvane2::test
