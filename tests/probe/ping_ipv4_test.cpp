// SPDX-License-Identifier: MIT
// PingIPv4 on a scripted platform: every failure path of Ping and of Resolve, and
// what the probe hands to the platform.
#include "probe/ping_ipv4.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <tuple>

namespace orvane2 {
namespace {

// Each operation appends its name to `calls`, fails when named in `fail`, and sets
// the last error to its own code, on success too, so that a probe reading the error of
// the wrong call is caught; a failure's code is 0 with "NoCode" in `fail`. Addresses
// are plain numbers: "192.0.2.5" and "10.1" parse to 5, the lookup finds 1 (formatted
// "198.51.100.1") and 2, or nothing with "NoAddress" in `fail`. The echo's reply record
// reports an ICMP error (host unreachable) with "IcmpError" in `fail`, and comes from
// address 6 rather than from the destination with "OtherSource". Wrong arguments
// fail: a sockets version other than 2.2, a name with spaces, another handle or address.
struct Fake final : ProbePlatform {
    std::set<std::string> fail;
    const std::map<std::string, std::int32_t> error = {{"Parse", 101},  {"Start", 102}, {"Lookup", 11002},
                                                       {"Format", 104}, {"Copy", 105},  {"Cleanup", 106},
                                                       {"Open", 107},   {"Send", 108},  {"Close", 109}};
    std::string calls, echo;  // echo: payload|its size|reply buffer size|timeout
    std::int32_t last = 0;

    bool Call(const std::string& name)
    {
        calls += (calls.empty() ? "" : " ") + name;
        const bool fails = fail.contains(name);
        last = fails && fail.contains("NoCode") ? 0 : error.at(name);
        return !fails;
    }
    std::int32_t LastError() const override { return last; }
    std::uint32_t ParseAddress(const std::string& text) override
    {
        if (!Call("Parse"))
            return kNotAnAddress;
        return text == "192.0.2.5" || text == "10.1" ? 5 : text == "198.51.100.1" ? 1 : kNotAnAddress;
    }
    std::int32_t StartSockets(std::uint16_t version) override { return Call("Start") && version == 0x0202 ? 0 : 10091; }
    std::int32_t CleanupSockets() override { return Call("Cleanup") ? 0 : -1; }
    std::optional<HostEntry> LookupHost(const std::string& name) override
    {
        if (!Call("Lookup") || name.find(' ') != std::string::npos)
            return std::nullopt;
        return fail.contains("NoAddress") ? HostEntry{} : HostEntry{{1, 2}};
    }
    std::optional<std::string> FormatAddress(std::uint32_t address) override
    {
        return Call("Format") ? std::optional<std::string>(address == 1 ? "198.51.100.1" : "another") : std::nullopt;
    }
    std::optional<std::string> CopyText(std::string_view text, std::size_t bound) override
    {
        // As lstrcpynA: the bound counts the terminator.
        return Call("Copy") && bound > 0 ? std::optional<std::string>(text.substr(0, bound - 1)) : std::nullopt;
    }
    EchoHandle OpenEcho() override { return Call("Open") ? 42 : kInvalidEchoHandle; }
    // "Refuses" among the failures: the open's error means that ICMP is not allowed.
    bool RefusesIcmp(std::int32_t e) const override { return fail.contains("Refuses") && e == error.at("Open"); }
    std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* data, std::uint16_t size,
                           std::span<std::byte> reply, std::int32_t timeoutMs) override
    {
        echo = std::string(data, size) + "|" + std::to_string(size) + "|" + std::to_string(reply.size()) + "|" +
               std::to_string(timeoutMs);
        if (!Call("Send") || handle != 42 || destination != 5)
            return 0;
        // Address, status, round trip, data size and offset; those PingIPv4 does not read are ~0.
        const std::uint32_t record[5] = {Source(destination), fail.contains("IcmpError") ? 11003u : 0, 17, ~0u, ~0u};
        std::memcpy(reply.data(), record, sizeof record);
        return 1;
    }
    bool CloseEcho(EchoHandle handle) override { return Call("Close") && handle == 42; }
    std::uint32_t Source(std::uint32_t destination) const { return fail.contains("OtherSource") ? 6 : destination; }
    // Address 5 answers after 17 ms (or reports host unreachable with "IcmpError", or
    // answers from address 6 with "OtherSource"), any other times out.
    struct Batch final : EchoBatch {
        std::vector<std::pair<std::size_t, EchoReplyRecord>> due;
        bool icmpError = false;
        std::uint32_t source = 5;
        void Send(std::size_t request, std::uint32_t destination, std::int32_t) override
        {
            due.emplace_back(request, destination != 5 ? EchoReplyRecord{0, 11010, 0, 0}
                                      : icmpError      ? EchoReplyRecord{5, 11003, 0, 0}
                                                       : EchoReplyRecord{source, 0, 17, 0});
        }
        void Collect(Clock::time_point, const ResultSink& sink) override
        {
            for (const auto& [request, result] : std::exchange(due, {}))
                sink(request, result);
        }
        void Wake() override {}
    };
    std::unique_ptr<EchoBatch> OpenEchoBatch() override
    {
        if (!Call("Open"))
            return nullptr;
        if (fail.contains("NoFd"))
            throw std::system_error(EMFILE, std::generic_category());
        auto batch = std::make_unique<Batch>();
        batch->icmpError = fail.contains("IcmpError");
        batch->source = Source(5);
        return batch;
    }
    std::unique_ptr<ProbePlatform> ForAnotherThread() const override { return std::make_unique<Fake>(*this); }
};

// A probe whose fields earlier calls left at Reason 9, Status 77, RoundTripTime 555.
struct Probe {
    Fake* fake = new Fake;
    PingIPv4 probe{std::unique_ptr<ProbePlatform>(fake)};
    Probe() { std::tie(probe.Reason, probe.Status, probe.RoundTripTime) = std::make_tuple(9, 77, 555); }
    auto Fields() const { return std::make_tuple(probe.Reason, probe.Status, probe.RoundTripTime); }
};

TEST(PingIPv4, PingSetsResultFieldsAndCallsOnEveryPath)
{
    constexpr auto kNo = PingOutcome::NoAnswer;
    const std::string at = "192.0.2.5", echo = "Parse Open Send Close";
    const struct {
        const char* name;
        std::string ip;
        std::set<std::string> fail;
        PingOutcome outcome;
        std::int32_t reason, status, roundTrip;
        std::string calls;
    } cases[] = {
        {"AllOnesIsNoAddress", "255.255.255.255", {}, kNo, 1, 0, 555, "Parse"},
        {"UntrimmedAddress", " 192.0.2.5", {}, kNo, 1, 0, 555, "Parse"},
        {"OpenFails", at, {"Open"}, kNo, 2, 107, 555, "Parse Open"},
        {"OpenRefused", at, {"Open", "Refuses"}, PingOutcome::NotPermitted, 2, 107, 555, "Parse Open"},
        {"NoReply", at, {"Send"}, kNo, 3, 108, 555, echo},
        {"IcmpErrorIsNoReply", at, {"IcmpError"}, kNo, 3, 11003, 555, echo},
        {"ReplyFromElsewhereIsNoReply", at, {"OtherSource"}, kNo, 3, 11050, 555, echo},
        {"CloseFailsAfterReply", at, {"Close"}, kNo, 4, 109, 17, echo},
        {"CloseFailsAfterNoReply", at, {"Send", "Close"}, kNo, 4, 109, 555, echo},
        {"Reply", at, {}, PingOutcome::Answered, 9, 0, 17, echo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Probe p;
        p.fake->fail = c.fail;
        EXPECT_EQ(p.probe.Ping(c.ip, 1000, ""), c.outcome == PingOutcome::Answered);
        EXPECT_EQ(p.probe.LastOutcome(), c.outcome);
        EXPECT_EQ(p.Fields(), std::make_tuple(c.reason, c.status, c.roundTrip));
        EXPECT_EQ(p.fake->calls, c.calls);
    }
}

TEST(PingIPv4, PingPassesPayloadTimeoutAndABufferOfPayloadPlus36UpToTheLimit)
{
    Probe p;
    ASSERT_TRUE(p.probe.Ping("192.0.2.5", 1234, "abc"));
    EXPECT_EQ(p.fake->echo, "abc|3|39|1234");
    ASSERT_TRUE(p.probe.Ping("192.0.2.5"));
    EXPECT_EQ(p.fake->echo, "|0|36|1000");
    ASSERT_TRUE(p.probe.Ping("192.0.2.5", 1000, std::string(32767, 'x')));
    EXPECT_EQ(p.fake->echo, std::string(32767, 'x') + "|32767|32803|1000");
    p.fake->calls.clear();
    EXPECT_THROW(p.probe.Ping("192.0.2.5", 1000, std::string(32768, 'x')), std::overflow_error);
    EXPECT_EQ(p.fake->calls, "Parse Open Close") << "opened, closed, nothing sent";
    EXPECT_THROW(PingIPv4(std::unique_ptr<ProbePlatform>()), std::invalid_argument);
}

TEST(PingIPv4, ResolveReturnsCodeWritesIpAndCallsOnEveryPath)
{
    const std::string name = "name.example", lookup = "Parse Start Lookup Cleanup",
                      all = "Parse Start Lookup Format Copy Cleanup";
    const struct {
        const char* name;
        std::string input;
        std::set<std::string> fail;
        std::int32_t result;
        std::string ip;  // "earlier": the caller's value is kept
        std::string calls;
    } cases[] = {
        {"AddressKeptAsWritten", "  10.1 ", {}, 0, "10.1", "Parse"},
        {"Found", "  name.example ", {}, 0, "198.51.100.1", all},
        {"TabIsNoSpace", "\t192.0.2.5 ", {}, 0, "198.51.100.1", all},
        {"OnlySpaces", "   ", {"Lookup"}, 11002, "earlier", lookup},
        {"StartFails", name, {"Start"}, 10091, "earlier", "Parse Start"},
        {"LookupFails", name, {"Lookup"}, 11002, "earlier", lookup},
        {"LookupFailsWithoutCode", name, {"Lookup", "NoCode"}, 11001, "earlier", lookup},
        {"NoAddress", name, {"NoAddress"}, 11004, "earlier", lookup},
        {"FormatFails", name, {"Format"}, 1, "earlier", "Parse Start Lookup Format Cleanup"},
        {"CopyFails", name, {"Copy"}, 1, "earlier", all},
        {"CleanupFailsAfterSuccess", name, {"Cleanup"}, 106, "198.51.100.1", all},
        {"CleanupFailsAfterFailure", name, {"Lookup", "Cleanup"}, 106, "earlier", lookup},
        {"CleanupFailsWithoutCode", name, {"Cleanup", "NoCode"}, -1, "198.51.100.1", all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Probe p;
        p.fake->fail = c.fail;
        std::string ip = "earlier";
        EXPECT_EQ(p.probe.Resolve(c.input, ip), c.result);
        EXPECT_EQ(ip, c.ip);
        EXPECT_EQ(p.fake->calls, c.calls);
        EXPECT_EQ(p.Fields(), std::make_tuple(9, 77, 555)) << "Resolve leaves Ping's fields alone";
    }
}

// A batch reports every host once, as Resolve and Ping would have found it, on threads and
// platforms of its own, and leaves the probe's fields alone.
TEST(PingIPv4, BatchReportsEveryHostOnce)
{
    const std::vector<std::string> names = {" 192.0.2.5", "name.example", "10.1", "192.0.2.5"};
    const std::string noFd = "F(" + std::string(std::system_error(EMFILE, std::generic_category()).what()) + ")";
    const std::vector<std::pair<std::set<std::string>, std::string>> cases = {
        // host: A answered after 17 ms, N no answer, P not permitted, R lookup failed (code),
        // F(what was missing) not checked
        {{}, "A17 192.0.2.5|N 198.51.100.1|A17 10.1|A17 192.0.2.5|"},
        {{"Lookup"}, "A17 192.0.2.5|R11002 |A17 10.1|A17 192.0.2.5|"},
        {{"IcmpError"}, "N 192.0.2.5|N 198.51.100.1|N 10.1|N 192.0.2.5|"},
        {{"OtherSource"}, "N 192.0.2.5|N 198.51.100.1|N 10.1|N 192.0.2.5|"},
        {{"Open"}, "N 192.0.2.5|N 198.51.100.1|N 10.1|N 192.0.2.5|"},
        {{"Open", "Refuses"}, "P 192.0.2.5|P 198.51.100.1|P 10.1|P 192.0.2.5|"},
        {{"NoFd"}, noFd + " 192.0.2.5|" + noFd + " 198.51.100.1|" + noFd + " 10.1|" + noFd + " 192.0.2.5|"},
    };
    for (const auto& [fail, expected] : cases) {
        SCOPED_TRACE(expected);
        Probe p;
        p.fake->fail = fail;
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::string> found(names.size());
        std::size_t reported = 0;
        p.probe.StartBatch(names, 1000, [&](const HostReport& r) {
            const std::lock_guard lock(mutex);
            const std::string kind = r.resolveResult != 0                     ? "R"
                                     : r.outcome == PingOutcome::Answered     ? "A"
                                     : r.outcome == PingOutcome::NotPermitted ? "P"
                                     : r.outcome == PingOutcome::CheckFailed  ? "F(" + r.failure + ")"
                                                                              : "N";
            const std::int32_t number = r.resolveResult != 0 ? r.resolveResult : r.roundTripMs;
            found.at(r.host) += kind + (number != 0 ? std::to_string(number) : "") + " " + r.address;
            ++reported;
            changed.notify_all();
        });
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return reported >= names.size(); });
        std::string all;
        for (const std::string& host : found)
            all += host + "|";
        EXPECT_EQ(all, expected);
        EXPECT_EQ(p.Fields(), std::make_tuple(9, 77, 555));
    }
}

}  // namespace
}  // namespace orvane2
