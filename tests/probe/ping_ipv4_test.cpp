// SPDX-License-Identifier: MIT
// PingIPv4 on a scripted platform: every failure path of Ping and of Resolve, and
// what the probe hands to the platform.
#include "probe/ping_ipv4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace orvane2 {
namespace {

std::uint32_t Ip(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    std::uint32_t address = 0;
    std::memcpy(&address, std::array<std::uint8_t, 4>{a, b, c, d}.data(), 4);
    return address;
}

// Each operation appends its name to `calls`, fails when named in `fail`, and sets
// the last error to its own code in `error`, on success too, so that a probe reading
// the error of the wrong call is caught.
struct Fake final : ProbePlatform {
    std::set<std::string> fail;
    std::map<std::string, std::int32_t> error = {{"Parse", 101},  {"Start", 102}, {"Lookup", 103},
                                                 {"Format", 104}, {"Copy", 105},  {"Cleanup", 106},
                                                 {"Open", 107},   {"Send", 108},  {"Close", 109}};
    std::vector<std::uint32_t> addresses = {Ip(192, 0, 2, 10)};  // what the lookup finds
    std::uint32_t replyStatus = 0;                               // of the reply record
    std::string calls, parsed, lookedUp, echo;                   // echo: payload|its size|reply buffer size|timeout
    std::uint16_t version = 0;
    EchoHandle closed = -2;

    bool Call(const std::string& name)
    {
        calls += (calls.empty() ? "" : " ") + name;
        last = error[name];
        return fail.count(name) == 0;
    }
    std::int32_t LastError() const override { return last; }
    std::uint32_t ParseAddress(const std::string& text) override
    {
        Call("Parse");
        parsed += text + "|";
        return text == "192.0.2.5" ? Ip(192, 0, 2, 5) : text == "10.1" ? Ip(10, 0, 0, 1) : kNotAnAddress;
    }
    std::int32_t StartSockets(std::uint16_t v) override
    {
        version = v;
        return Call("Start") ? 0 : 10091;
    }
    std::int32_t CleanupSockets() override { return Call("Cleanup") ? 0 : -1; }
    std::optional<HostEntry> LookupHost(const std::string& name) override
    {
        lookedUp = name;
        return Call("Lookup") ? std::optional<HostEntry>(HostEntry{addresses}) : std::nullopt;
    }
    std::optional<std::string> FormatAddress(std::uint32_t a) override
    {
        const auto* b = reinterpret_cast<const unsigned char*>(&a);
        if (!Call("Format"))
            return std::nullopt;
        return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
               std::to_string(b[3]);
    }
    std::optional<std::string> CopyText(std::string_view text, std::size_t bound) override
    {
        if (!Call("Copy") || bound == 0)
            return std::nullopt;
        return std::string(text.substr(0, bound - 1));  // as lstrcpynA
    }
    EchoHandle OpenEcho() override { return Call("Open") ? 42 : kInvalidEchoHandle; }
    // "Refuses" among the failures: the open's error means that ICMP is not allowed.
    bool RefusesIcmp(std::int32_t e) const override { return fail.count("Refuses") && e == error.at("Open"); }
    std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* data, std::uint16_t size,
                           std::span<std::byte> reply, std::int32_t timeoutMs) override
    {
        echo = std::string(data, size) + "|" + std::to_string(size) + "|" + std::to_string(reply.size()) + "|" +
               std::to_string(timeoutMs);
        EXPECT_EQ(std::count(reply.begin(), reply.end(), std::byte{0}), std::ssize(reply)) << "zero-filled";
        EXPECT_EQ(handle, 42);
        EXPECT_EQ(destination, Ip(192, 0, 2, 5));
        if (!Call("Send"))
            return 0;
        const std::uint32_t record[7] = {~0u, replyStatus, 17, ~0u, ~0u, ~0u, ~0u};  // status, round trip
        std::memcpy(reply.data(), record, sizeof record);
        return 1;
    }
    bool CloseEcho(EchoHandle handle) override
    {
        closed = handle;
        return Call("Close");
    }
    std::int32_t last = 0;
};

struct Probe {
    Fake* fake = new Fake;
    PingIPv4 probe{std::unique_ptr<ProbePlatform>(fake)};
    Probe()
    {  // fields as earlier calls left them
        probe.Reason = 9;
        probe.Status = 77;
        probe.RoundTripTime = 555;
    }
};

struct PingCase {
    const char* name;
    std::string ip;
    std::set<std::string> fail;
    std::uint32_t replyStatus;
    bool result;
    std::int32_t reason, status, roundTrip;
    std::string calls;
    PingOutcome outcome = PingOutcome::NoAnswer;
    friend void PrintTo(const PingCase& c, std::ostream* os) { *os << c.name; }
};
class PingTable : public ::testing::TestWithParam<PingCase> {};

TEST_P(PingTable, SetsResultFieldsAndCalls)
{
    const PingCase& c = GetParam();
    Probe p;
    p.fake->fail = c.fail;
    p.fake->replyStatus = c.replyStatus;
    EXPECT_EQ(p.probe.Ping(c.ip, 1000, ""), c.result);
    EXPECT_EQ(p.probe.Reason, c.reason);
    EXPECT_EQ(p.probe.Status, c.status);
    EXPECT_EQ(p.probe.RoundTripTime, c.roundTrip);
    EXPECT_EQ(p.fake->calls, c.calls);
    EXPECT_EQ(p.probe.LastOutcome(), c.outcome);
    EXPECT_EQ(p.fake->closed, c.calls.ends_with("Close") ? 42 : -2) << "closes the handle it opened";
}

const std::string kEcho = "Parse Open Send Close";
INSTANTIATE_TEST_SUITE_P(
    , PingTable,
    ::testing::Values(PingCase{"NotAnAddress", "host.example", {}, 0, false, 1, 0, 555, "Parse"},
                      PingCase{"UntrimmedAddress", " 192.0.2.5", {}, 0, false, 1, 0, 555, "Parse"},
                      PingCase{"OpenFails", "192.0.2.5", {"Open"}, 0, false, 2, 107, 555, "Parse Open"},
                      PingCase{"OpenRefused",
                               "192.0.2.5",
                               {"Open", "Refuses"},
                               0,
                               false,
                               2,
                               107,
                               555,
                               "Parse Open",
                               PingOutcome::NotPermitted},
                      PingCase{"NoReply", "192.0.2.5", {"Send"}, 0, false, 3, 108, 555, kEcho},
                      PingCase{"IcmpErrorIsNoReply", "192.0.2.5", {}, 11003, false, 3, 11003, 555, kEcho},
                      PingCase{"CloseFailsAfterReply", "192.0.2.5", {"Close"}, 0, false, 4, 109, 17, kEcho},
                      PingCase{"CloseFailsAfterNoReply", "192.0.2.5", {"Send", "Close"}, 0, false, 4, 109, 555, kEcho},
                      PingCase{"Reply", "192.0.2.5", {}, 0, true, 9, 0, 17, kEcho, PingOutcome::Answered}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PingArguments, PayloadTimeoutBufferOfPayloadPlus36AndTheLimit)
{
    Probe p;
    ASSERT_TRUE(p.probe.Ping("192.0.2.5", 1234, "abc"));
    EXPECT_EQ(p.fake->echo, "abc|3|39|1234");
    ASSERT_TRUE(p.probe.Ping("192.0.2.5"));
    EXPECT_EQ(p.fake->echo, "|0|36|1000");
    ASSERT_TRUE(p.probe.Ping("192.0.2.5", 1000, std::string(32767, 'x')));
    EXPECT_EQ(p.fake->echo, std::string(32767, 'x') + "|32767|32803|1000");
    p.fake->calls.clear();
    p.probe.Status = 77;
    EXPECT_THROW(p.probe.Ping("192.0.2.5", 1000, std::string(32768, 'x')), std::overflow_error);
    EXPECT_EQ(p.fake->calls, "Parse Open Close") << "opened, closed, nothing sent";
    EXPECT_EQ(std::make_tuple(p.probe.Reason, p.probe.Status, p.probe.RoundTripTime), std::make_tuple(9, 0, 17));
    EXPECT_THROW(PingIPv4(std::unique_ptr<ProbePlatform>()), std::invalid_argument);
    const PingIPv4 fresh;
    EXPECT_EQ(std::make_tuple(fresh.Reason, fresh.Status, fresh.RoundTripTime), std::make_tuple(0, 0, 0));
}

struct ResolveCase {
    const char* name;
    std::string input;
    std::set<std::string> fail;
    std::map<std::string, std::int32_t> error;  // changes to the fake's codes
    std::vector<std::uint32_t> addresses;
    std::int32_t result;
    std::string ip;  // "earlier": the caller's value is kept
    std::string calls;
    friend void PrintTo(const ResolveCase& c, std::ostream* os) { *os << c.name; }
};
class ResolveTable : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveTable, ReturnsCodeWritesIpAndCalls)
{
    const ResolveCase& c = GetParam();
    Probe p;
    p.fake->fail = c.fail;
    p.fake->addresses = c.addresses;
    for (const auto& [name, code] : c.error)
        p.fake->error[name] = code;
    std::string ip = "earlier";
    EXPECT_EQ(p.probe.Resolve(c.input, ip), c.result);
    EXPECT_EQ(ip, c.ip);
    EXPECT_EQ(p.fake->calls, c.calls);
    const std::size_t first = std::min(c.input.find_first_not_of(' '), c.input.size());
    const std::string trimmed = c.input.substr(first, c.input.find_last_not_of(' ') + 1 - first);  // U+0020 only
    EXPECT_EQ(p.fake->parsed, trimmed + "|");
    EXPECT_EQ(p.fake->lookedUp, c.calls.find("Lookup") != std::string::npos ? trimmed : "");
    EXPECT_EQ(p.fake->version, c.calls.find("Start") != std::string::npos ? 0x0202 : 0);
    EXPECT_EQ(std::make_tuple(p.probe.Reason, p.probe.Status, p.probe.RoundTripTime), std::make_tuple(9, 77, 555));
}

const std::vector<std::uint32_t> kFound = {Ip(198, 51, 100, 1), Ip(192, 0, 2, 10)};
const std::string kName = "name.example", kLookup = "Parse Start Lookup Cleanup",
                  kAll = "Parse Start Lookup Format Copy Cleanup";
INSTANTIATE_TEST_SUITE_P(
    , ResolveTable,
    ::testing::Values(
        ResolveCase{"Address", "  192.0.2.5  ", {}, {}, kFound, 0, "192.0.2.5", "Parse"},
        ResolveCase{"ShortAddressKeptAsWritten", " 10.1 ", {}, {}, kFound, 0, "10.1", "Parse"},
        ResolveCase{"Found", "  name.example ", {}, {}, kFound, 0, "198.51.100.1", kAll},
        ResolveCase{"TabIsNoSpace", "\t192.0.2.5 ", {}, {}, kFound, 0, "198.51.100.1", kAll},
        ResolveCase{"OnlySpaces", "   ", {"Lookup"}, {}, kFound, 103, "earlier", kLookup},
        ResolveCase{"StartFails", kName, {"Start"}, {}, kFound, 10091, "earlier", "Parse Start"},
        ResolveCase{"LookupFails", kName, {"Lookup"}, {{"Lookup", 11002}}, kFound, 11002, "earlier", kLookup},
        ResolveCase{"LookupFailsWithoutCode", kName, {"Lookup"}, {{"Lookup", 0}}, kFound, 11001, "earlier", kLookup},
        ResolveCase{"NoAddress", kName, {}, {}, {}, 11004, "earlier", kLookup},
        ResolveCase{"FormatFails", kName, {"Format"}, {}, kFound, 1, "earlier", "Parse Start Lookup Format Cleanup"},
        ResolveCase{"CopyFails", kName, {"Copy"}, {}, kFound, 1, "earlier", kAll},
        ResolveCase{"CleanupFailsAfterSuccess", kName, {"Cleanup"}, {}, kFound, 106, "198.51.100.1", kAll},
        ResolveCase{"CleanupFailsAfterFailure", kName, {"Lookup", "Cleanup"}, {}, kFound, 106, "earlier", kLookup},
        ResolveCase{"CleanupFailsWithoutCode", kName, {"Cleanup"}, {{"Cleanup", 0}}, kFound, -1, "198.51.100.1", kAll}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace orvane2
