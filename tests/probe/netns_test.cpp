// SPDX-License-Identifier: MIT
// PingIPv4 on the Linux platform in the private network of test_network.sh: this
// process joins the client namespace, icmp_peer plays the host 192.0.2.2. Every case
// runs through a ping socket and through a raw socket. Needs root; skipped otherwise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "probe/ping_ipv4.h"

namespace orvane2 {
namespace {

const std::string kHost = "192.0.2.2";            // icmp_peer, when it runs
const std::string kSilentHost = "192.0.2.3";      // the hosts namespace, which answers no echo
const std::string kUnreachable = "198.51.100.7";  // reported host unreachable by 192.0.2.2
const std::string kUnrouted = "198.51.100.200";   // no route from the client

int Shell(const std::string& arguments)
{
    const int status = std::system(("bash " TEST_NETWORK_SH " " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Packets the client namespace has received: Ip InReceives of /proc/net/snmp.
long Received()
{
    std::ifstream snmp("/proc/thread-self/net/snmp");
    std::string skip;
    long received = -1;
    std::getline(snmp, skip);
    snmp >> skip >> skip >> skip >> received;
    return received;
}

struct Outcome {
    bool answered;
    std::int32_t reason, status, roundTrip;
    long ms, received;  // how long Ping took, packets received meanwhile
};
std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    return os << "answered " << o.answered << ", Reason " << o.reason << ", Status " << o.status << ", RoundTripTime "
              << o.roundTrip << ", " << o.ms << " ms, " << o.received << " packets received meanwhile";
}

// One Ping by a probe whose Reason and RoundTripTime earlier calls left at 9 and 5555.
Outcome TimedPing(const std::string& ip, std::int32_t timeoutMs = 1000, const std::string& data = "")
{
    PingIPv4 probe;
    probe.Reason = 9;
    probe.RoundTripTime = 5555;
    const long before = Received();
    const auto start = std::chrono::steady_clock::now();
    const bool answered = probe.Ping(ip, timeoutMs, data);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return {answered, probe.Reason, probe.Status, probe.RoundTripTime, took.count(), Received() - before};
}

class InNamespace : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "builds network namespaces, which needs root: run the tests as root";
        const int up = Shell("up orv2p-" + std::to_string(getpid()) + " " + GetParam());
        if (up == 77)
            GTEST_SKIP() << "network namespaces cannot be created on this machine";
        ASSERT_EQ(up, 0) << "test_network.sh up failed";
        name_ = "orv2p-" + std::to_string(getpid());
        home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int client = open(("/run/netns/" + name_ + "-c").c_str(), O_RDONLY | O_CLOEXEC);
        const int joined = setns(client, CLONE_NEWNET);
        close(client);
        ASSERT_EQ(joined, 0) << "cannot join the client namespace";
    }
    void TearDown() override
    {
        if (peer_ != nullptr)
            pclose(peer_);
        if (home_ >= 0) {
            setns(home_, CLONE_NEWNET);
            close(home_);
        }
        if (!name_.empty())
            Shell("down " + name_);
    }

    // Runs icmp_peer in namespace NAME-ns and returns its first line; `serve` goes on
    // until the next call or the end of the test.
    std::string Peer(const std::string& ns, const std::string& arguments)
    {
        if (peer_ != nullptr)
            pclose(peer_);
        peer_ = popen(("ip netns exec " + name_ + "-" + ns + " " ICMP_PEER " " + arguments).c_str(), "re");
        char line[128] = "";
        if (peer_ == nullptr || std::fgets(line, sizeof line, peer_) == nullptr) {
            throw std::runtime_error("icmp_peer " + arguments + " said nothing");
        }
        return line;
    }
    void Serve(const std::string& actions) { ASSERT_EQ(Peer("h", "serve " + actions), "ready\n"); }

    std::string name_;
    int home_ = -1;
    FILE* peer_ = nullptr;
};

TEST_P(InNamespace, AnsweringHostGivesTrue)
{
    Serve("reply");
    for (const std::size_t size : {0, 32767}) {  // the largest payload goes in fragments
        const Outcome o = TimedPing(kHost, 1000, std::string(size, 'x'));
        EXPECT_TRUE(o.answered && o.reason == 9 && o.status == 0 && o.roundTrip >= 0 && o.roundTrip < 1000) << o;
    }
}

TEST_P(InNamespace, SilentHostTimesOutAfterOneSecond)
{
    const Outcome o = TimedPing(kSilentHost);
    EXPECT_TRUE(!o.answered && o.reason == 3 && o.status == 11010 && o.roundTrip == 5555) << o;
    EXPECT_TRUE(o.ms >= 1000 && o.ms < 1800) << o;
}

TEST_P(InNamespace, IcmpErrorGivesFalseWithTheWindowsStatus)
{
    const struct {
        std::string actions, ip;
        std::int32_t status;
    } cases[] = {{"", kUnreachable, 11003},   {"", kUnrouted, 11002},       {"error:3:0", kHost, 11002},
                 {"error:3:3", kHost, 11005}, {"error:3:13", kHost, 11003}, {"error:11:0", kHost, 11013},
                 {"error:12:0", kHost, 11015}};
    for (const auto& c : cases) {
        if (!c.actions.empty())
            Serve(c.actions);
        const Outcome o = TimedPing(c.ip);
        EXPECT_TRUE(!o.answered && o.reason == 3 && o.status == c.status && o.roundTrip == 5555)
            << c.ip << ' ' << c.actions << " should give Status " << c.status << ": " << o;
    }
}

// icmp_peer answers each request after 300 ms of near misses: a Ping of 200 ms must
// time out at its deadline, and the next Ping must find its answer among them.
TEST_P(InNamespace, NearMissesNeitherAnswerNorMoveTheDeadline)
{
    Serve("flood:300 reply");
    const Outcome early = TimedPing(kHost, 200), late = TimedPing(kHost);
    EXPECT_TRUE(!early.answered && early.status == 11010 && early.ms >= 200 && early.ms < 700) << early;
    EXPECT_TRUE(late.answered && late.roundTrip >= 300 && late.roundTrip < 1000) << late;
    EXPECT_GT(std::min(early.received, late.received), 1000) << "the near misses did not reach the client";
}

TEST_P(InNamespace, NoDescriptorLeaksOnAnyPath)
{
    Serve("reply");
    using Fds = std::filesystem::directory_iterator;
    const auto descriptors = [] { return std::distance(Fds("/proc/self/fd"), Fds()); };
    PingIPv4 probe;
    std::string ip;
    probe.Resolve("localhost", ip);  // the C library keeps descriptors from its first lookup
    const auto before = descriptors();
    int right = 0;
    for (int i = 0; i < 200; ++i) {
        right += probe.Ping(kHost) && !probe.Ping(kUnrouted) && !probe.Ping(kSilentHost, 1) &&
                 !probe.Ping("no address") && probe.Resolve(" localhost ", ip) == 0;
        try {
            probe.Ping(kHost, 1000, std::string(32768, 'x'));
        } catch (const std::overflow_error&) {
            ++right;
        }
    }
    EXPECT_EQ(right, 400);
    EXPECT_EQ(descriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(Socket, InNamespace, ::testing::Values("ping", "raw"),
                         [](const auto& test) { return test.param; });

// Lookups run by icmp_peer in the client namespace, whose resolv.conf names 127.0.0.1.
class Lookup : public InNamespace {};
TEST_P(Lookup, FailedLookupKeepsTheCallersIp)
{
    EXPECT_EQ(Peer("c", "resolve ' orvane2-no-such-host.invalid ' 192.0.2.99"), "11002 192.0.2.99\n");
    EXPECT_EQ(Peer("c", "resolve ' localhost ' 192.0.2.99"), "0 127.0.0.1\n") << "/etc/hosts still works";
}
INSTANTIATE_TEST_SUITE_P(Socket, Lookup, ::testing::Values("raw"), [](const auto& test) { return test.param; });

}  // namespace
}  // namespace orvane2
