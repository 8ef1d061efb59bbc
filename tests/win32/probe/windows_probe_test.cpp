// SPDX-License-Identifier: MIT
// PingIPv4 on the Windows network services, run under Wine. The WindowsProbeNetwork
// cases need the private test network of netns_probe_test.sh, which names its hosts
// in the environment; elsewhere they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "probe/ping_ipv4.h"
#include "probe/windows_codes.h"

namespace orvane2 {
namespace {

#define REQUIRE_TEST_HOST(name, variable)          \
    const char* name##Set = std::getenv(variable); \
    if (name##Set == nullptr)                      \
        GTEST_SKIP() << variable << " unset";      \
    const std::string name = name##Set

TEST(WindowsProbe, LoopbackAnswersWithAndWithoutPayload)
{
    PingIPv4 probe;
    std::string ip = "kept";
    EXPECT_EQ(probe.Resolve("  localhost ", ip), 0);
    EXPECT_EQ(ip, "127.0.0.1");
    for (const std::string& data : {std::string(), std::string(1000, 'x')}) {
        EXPECT_TRUE(probe.Ping("127.0.0.1", 1000, data)) << "Reason " << probe.Reason << ", Status " << probe.Status;
        EXPECT_EQ(probe.Status, 0);
    }
    EXPECT_FALSE(probe.Ping("localhost"));
    EXPECT_EQ(probe.Reason, PingIPv4::kReasonNotAnAddress);
}

TEST(WindowsProbeNetwork, SilentHostTimesOutNoSoonerThanTheTimeout)
{
    REQUIRE_TEST_HOST(host, "ORVANE2_SILENT_HOST");
    PingIPv4 probe;
    probe.Ping(host, 100);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(probe.Ping(host, 1000));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(probe.Reason, PingIPv4::kReasonNoReply);
    EXPECT_EQ(probe.Status, wincodes::kIpReqTimedOut);
    EXPECT_GE(elapsed, std::chrono::milliseconds(990));  // Wine rounds its wait to whole ms
}

// An ICMP error about the request comes back as a reply record, but is no answer.
TEST(WindowsProbeNetwork, UnreachableHostIsNoAnswer)
{
    REQUIRE_TEST_HOST(host, "ORVANE2_UNREACHABLE_HOST");
    PingIPv4 probe;
    probe.Ping(host, 100);  // warm-up
    EXPECT_FALSE(probe.Ping(host, 1000));
    EXPECT_EQ(probe.Reason, PingIPv4::kReasonNoReply);
    EXPECT_EQ(probe.Status, wincodes::kIpDestHostUnreachable);
}

TEST(WindowsProbeNetwork, UnresolvableNameFailsAndKeepsIP)
{
    REQUIRE_TEST_HOST(name, "ORVANE2_UNRESOLVABLE_NAME");
    PingIPv4 probe;
    std::string ip = "kept";
    EXPECT_NE(probe.Resolve(name, ip), 0);
    EXPECT_EQ(ip, "kept");
}

}  // namespace
}  // namespace orvane2
