// SPDX-License-Identifier: MIT
// PingIPv4 on the Windows network services, run under Wine. The WindowsProbeNetwork
// cases need the private test network of netns_probe_test.sh, which names it in
// ORVANE2_TEST_NETWORK; elsewhere they are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../probe/batch_board.h"
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

// Echo requests this network namespace has sent (Icmp OutEchos of /proc/net/snmp, which
// Wine shows on drive Z:).
long EchoesSent()
{
    std::ifstream snmp("Z:\\proc\\net\\snmp");
    std::string names, values;
    for (std::string line; std::getline(snmp, line);)
        if (line.starts_with("Icmp: "))
            (names.empty() ? names : values) = line;
    std::istringstream name(names), value(values);
    for (std::string n, v; name >> n && value >> v;)
        if (n == "OutEchos")
            return std::stol(v);
    return -1;
}

// A board of 255 hosts, two in five silent, all checked at once with one request each (the
// last a name, which joins the batch once looked up); then 255 that all answer, none
// dropped, until one of them falls silent.
TEST(WindowsProbeNetwork, ABatchChecksEveryHostOnce)
{
    const char* network = std::getenv("ORVANE2_TEST_NETWORK");
    if (network == nullptr)
        GTEST_SKIP() << "ORVANE2_TEST_NETWORK unset";
    auto [names, expected] = testing::MixedBoard();
    names.back() = "localhost";
    PingIPv4 probe;
    EXPECT_EQ(testing::Batch(probe, names, EchoesSent), std::pair(expected, 255L));
    for (int i = 0; i < 255; ++i)
        names[i] = "203.0.113." + std::to_string(i);
    for (int cycle = 0; cycle < 2; ++cycle)
        EXPECT_EQ(testing::Batch(probe, names, EchoesSent), std::pair(std::string(255, 'A'), 255L));
    // Replies from 203.0.113.7 go nowhere. Wine starts the host's own programs too, but
    // does not wait for them: the command leaves a file when done.
    const std::string done = "/tmp/" + std::string(network) + "-silenced";
    std::string command =
        "sh -c \"ip -n " + std::string(network) + "-a rule add from 203.0.113.7 blackhole && touch " + done + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    for (int i = 0; i < 1000 && !std::ifstream("Z:" + done); ++i)
        Sleep(10);
    ASSERT_TRUE(DeleteFileA(("Z:" + done).c_str()));
    EXPECT_EQ(testing::Batch(probe, names, EchoesSent).first, std::string(7, 'A') + 'N' + std::string(247, 'A'));
}

}  // namespace
}  // namespace orvane2
