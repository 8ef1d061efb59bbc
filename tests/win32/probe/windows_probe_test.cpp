// SPDX-License-Identifier: MIT
// PingIPv4 on the Windows network services, run under Wine. The WindowsProbeNetwork
// case needs the private test network of netns_probe_test.sh, which sets
// ORVANE2_TEST_NETWORK; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "probe/ping_ipv4.h"

namespace orvane2 {
namespace {

TEST(WindowsProbe, LoopbackAnswersWithAndWithoutPayload)
{
    PingIPv4 probe;
    std::string ip = "kept";
    EXPECT_EQ(probe.Resolve("  localhost ", ip), 0);
    EXPECT_EQ(ip, "127.0.0.1");
    for (const std::string& data : {std::string(), std::string(1000, 'x')})
        EXPECT_TRUE(probe.Ping("127.0.0.1", 1000, data)) << "Reason " << probe.Reason << ", Status " << probe.Status;
    EXPECT_FALSE(probe.Ping("localhost"));
    EXPECT_EQ(probe.Reason, PingIPv4::kReasonNotAnAddress);
}

// In test_network.sh's network 192.0.2.2 is silent, 198.51.100.9 is reported unreachable
// (an ICMP error comes back as a reply record, but is no answer) and the name server
// 192.0.2.2 refuses every query. Each host has a warm-up Ping first.
TEST(WindowsProbeNetwork, SilentAndUnreachableHostsAndAnUnknownName)
{
    if (std::getenv("ORVANE2_TEST_NETWORK") == nullptr)
        GTEST_SKIP() << "ORVANE2_TEST_NETWORK unset";
    PingIPv4 probe;
    std::string ip = "kept";
    EXPECT_NE(probe.Resolve("no-such-host.invalid", ip), 0);
    EXPECT_EQ(ip, "kept");
    for (const auto& [host, status] : {std::pair{"192.0.2.2", 11010}, std::pair{"198.51.100.9", 11003}}) {
        probe.Ping(host, 100);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(probe.Ping(host, 1000)) << host;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(std::make_pair(probe.Reason, probe.Status), std::make_pair(PingIPv4::kReasonNoReply, status)) << host;
        EXPECT_TRUE(status != 11010 || elapsed >= std::chrono::milliseconds(990)) << "Wine rounds its wait to whole ms";
    }
}

}  // namespace
}  // namespace orvane2
