// SPDX-License-Identifier: MIT
// PingIPv4 on the Linux platform. First the parts that need no network: the Windows
// numbers it reports, inet_addr's rules and those of the sockets library. Then the
// private network of test_network.sh: this process joins the client namespace,
// icmp_peer.py plays the host 192.0.2.2, and every case runs through a ping socket and
// through a raw socket (needs root; skipped otherwise).
#include <arpa/inet.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "batch_board.h"
#include "probe/linux/icmp_socket.h"
#include "probe/linux/probe_platform.h"
#include "probe/linux/status_mapping.h"
#include "probe/ping_ipv4.h"

namespace orvane2 {
namespace {

using testing::Batch;

TEST(StatusMapping, GivesTheWindowsNumbers)
{
    const std::tuple<std::uint8_t, std::uint8_t, std::int32_t> errors[] = {
        {3, 0, 11002},  {3, 1, 11003},  {3, 2, 11004},  {3, 3, 11005},  {3, 4, 11009},
        {3, 13, 11003}, {11, 0, 11013}, {11, 1, 11014}, {12, 0, 11015}, {5, 0, 11050}};
    for (const auto& [type, code, status] : errors)
        EXPECT_EQ(IpStatusForIcmpError(type, code), status) << "type " << +type << " code " << +code;
    EXPECT_EQ(IpStatusForErrno(ENETUNREACH), 11002);
    EXPECT_EQ(IpStatusForErrno(EHOSTUNREACH), 11003);
    EXPECT_EQ(WsaErrorForLookup(EAI_NONAME), 11001);
    EXPECT_EQ(WsaErrorForLookup(EAI_AGAIN), 11002);
    EXPECT_EQ(WsaErrorForLookup(EAI_NODATA), 11004);
    EXPECT_EQ(WsaErrorForLookup(EAI_SYSTEM), 11003);
}

TEST(LinuxPlatform, ParsesLikeInetAddrAndKeepsTheSocketsLibraryRules)
{
    LinuxProbePlatform platform;
    const std::uint32_t loopback = inet_addr("127.0.0.1");
    for (const char* text : {"127.0.0.1", "127.1", "2130706433", "0x7f.0.0.1", "0177.0.0.01"})
        EXPECT_EQ(platform.ParseAddress(text), loopback) << text;
    for (const char* text : {"255.255.255.255", "1.2.3.256", " 1.2.3.4", "08.0.0.1", "localhost", ""})
        EXPECT_EQ(platform.ParseAddress(text), kNotAnAddress) << text;
    EXPECT_EQ(platform.CleanupSockets(), -1) << "no clean-up without start-up";
    EXPECT_EQ(platform.LastError(), 10093);
    EXPECT_EQ(platform.StartSockets(0x0000), 10092);
    EXPECT_EQ(platform.StartSockets(0x0202), 0);
    EXPECT_EQ(platform.CleanupSockets(), 0);
    std::vector<std::byte> reply(36);
    EXPECT_EQ(platform.SendEcho(0, loopback, nullptr, 0, reply, 100), 0u) << "stdin is no echo handle";
    EXPECT_EQ(platform.LastError(), 6);
    EXPECT_EQ(platform.SendEcho(0, loopback, "x", 1, reply, 100), 0u) << "no room for the payload";
    EXPECT_EQ(platform.LastError(), 11001);
    EXPECT_FALSE(platform.CloseEcho(kInvalidEchoHandle));
}

// A batch whose socket cannot be had, every descriptor being taken, reports its host not
// checked; the next one, with descriptors again, checks it.
TEST(LinuxPlatform, ABatchWithoutADescriptorLeftReportsItsHostUnchecked)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs an ICMP socket on loopback whatever net.ipv4.ping_group_range says: run as root";
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own checks take descriptors too (a pipe to probe memory): without
    // any left they report faults that are not there.
    GTEST_SKIP() << "no descriptor left is no place for the sanitizers";
#endif
    PingIPv4 probe;
    const auto uncounted = [] { return 0L; };
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = dup(0);
    close(lowestFree);
    const rlimit none{static_cast<rlim_t>(lowestFree), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const std::string found = Batch(probe, {"127.0.0.1"}, uncounted).first;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(found, "F");
    EXPECT_EQ(Batch(probe, {"127.0.0.1"}, uncounted).first, "A");
}

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

// Answered, Reason, Status, RoundTripTime, how long Ping took (ms), packets received meanwhile.
using Outcome = std::tuple<bool, std::int32_t, std::int32_t, std::int32_t, long, long>;
using namespace ::testing;

// One Ping by a probe whose Reason and RoundTripTime earlier calls left at 9 and 5555.
Outcome TimedPing(const std::string& ip, std::int32_t timeoutMs = 1000, const std::string& data = "")
{
    PingIPv4 probe;
    std::tie(probe.Reason, probe.RoundTripTime) = std::make_pair(9, 5555);
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
        const int up = Shell("up " + name_ + " " + GetParam());
        if (up == 77)
            GTEST_SKIP() << "network namespaces cannot be created on this machine";
        ASSERT_EQ(up, 0) << "test_network.sh up failed";
        home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int client = open(("/run/netns/" + name_).c_str(), O_RDONLY | O_CLOEXEC);
        const int joined = setns(client, CLONE_NEWNET);
        close(client);
        ASSERT_EQ(joined, 0) << "cannot join the client namespace";
    }
    void TearDown() override
    {
        if (peer_ != nullptr)
            pclose(peer_);
        if (home_ >= 0) {  // the network is up
            setns(home_, CLONE_NEWNET);
            close(home_);
            Shell("down " + name_);
        }
    }

    // Starts icmp_peer.py with these actions, until the next call or the end of the test,
    // and returns its first line.
    std::string Peer(const std::string& actions)
    {
        if (peer_ != nullptr)
            pclose(peer_);
        peer_ = popen(("ip netns exec " + name_ + "-s python3 " ICMP_PEER " " + actions).c_str(), "re");
        char line[128] = "";
        return peer_ != nullptr && std::fgets(line, sizeof line, peer_) != nullptr ? line : "";
    }

    // Echo requests that the namespaces of the silent ("s") and answering ("a") hosts have
    // received: Icmp InEchos of their /proc/net/snmp.
    long Echoes(const std::string& hosts) const
    {
        const std::string command =
            "ip netns exec " + name_ + "-" + hosts + " awk '/^Icmp:/ {if (n++) print $10}' /proc/net/snmp";
        FILE* snmp = popen(command.c_str(), "re");
        long echoes = -1;
        if (snmp != nullptr && std::fscanf(snmp, "%ld", &echoes) != 1)
            echoes = -1;
        if (snmp != nullptr)
            pclose(snmp);
        return echoes;
    }
    // The probe of the program: a ping socket of the batch's own, or the raw socket opened
    // before anything else and shared.
    PingIPv4 ProgramProbe()
    {
        if (GetParam() == "ping")
            return PingIPv4();
        IcmpSocket opened = OpenIcmpSocket();  // as at start-up: the namespace admits no ping socket
        EXPECT_EQ(opened.kind, IcmpSocketKind::kRaw);
        shared_ = std::move(opened.fd);
        return PingIPv4(std::make_unique<LinuxProbePlatform>(shared_.get()));
    }

    const std::string name_ = "orv2p-" + std::to_string(getpid());
    UniqueFd shared_;
    int home_ = -1;
    FILE* peer_ = nullptr;
};

// Status 0: the host answers. A silent host takes the whole timeout, and no longer.
TEST_P(InNamespace, EachHostGivesItsOutcome)
{
    const struct {
        std::string serve, ip;  // serve: icmp_peer.py's actions from this case on
        std::size_t payload;
        std::int32_t status;
    } cases[] = {{"", kSilentHost, 0, 11010},    {"", kUnreachable, 0, 11003},    {"", kUnrouted, 0, 11002},
                 {"reply", kHost, 0, 0},         {"", kHost, 32767, 0},  // the largest payload, in fragments
                 {"error:3:3", kHost, 0, 11005}, {"error:11:0", kHost, 0, 11013}, {"error:12:0", kHost, 0, 11015}};
    for (const auto& c : cases) {
        if (!c.serve.empty()) {
            ASSERT_EQ(Peer(c.serve), "ready\n");
        }
        const bool answer = c.status == 0;
        const Matcher<std::int32_t> roundTrip = answer ? Matcher<std::int32_t>(AllOf(Ge(0), Lt(1000))) : Eq(5555);
        const Matcher<long> ms = c.status == 11010 ? Matcher<long>(AllOf(Ge(1000), Lt(1800))) : _;
        EXPECT_THAT(TimedPing(c.ip, 1000, std::string(c.payload, 'x')),
                    FieldsAre(answer, answer ? 9 : 3, c.status, roundTrip, ms, _))
            << c.ip << ' ' << c.serve << " with " << c.payload << " bytes";
    }
}

// A Ping of 500 ms that finds near misses and then its answer waiting when it goes on
// 800 ms after its request (icmp_peer.py stops this process meanwhile) must stop at the
// first packet past its deadline and time out. A Ping that gets 300 ms of near misses
// before its answer must find the answer among them.
TEST_P(InNamespace, NearMissesNeitherAnswerNorMoveTheDeadline)
{
    ASSERT_EQ(Peer("hold:" + std::to_string(getpid()) + ":800 flood:0 reply"), "ready\n");
    EXPECT_THAT(TimedPing(kHost, 500), FieldsAre(false, 3, 11010, 5555, _, Gt(20)));
    ASSERT_EQ(Peer("flood:300 reply"), "ready\n");
    EXPECT_THAT(TimedPing(kHost), FieldsAre(true, 9, 0, AllOf(Ge(300), Lt(1000)), _, Gt(1000)));
}

TEST_P(InNamespace, NoDescriptorLeaksOnAnyPath)
{
    ASSERT_EQ(Peer("reply"), "ready\n");
    using Fds = std::filesystem::directory_iterator;
    const auto descriptors = [] { return std::distance(Fds("/proc/self/fd"), Fds()); };
    PingIPv4 probe;
    std::string ip;
    probe.Resolve("localhost", ip);  // the C library keeps descriptors from its first lookup
    const auto before = descriptors();
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(probe.Ping(kHost) && !probe.Ping(kUnrouted) && !probe.Ping(kSilentHost, 1) &&
                    !probe.Ping("no address") && probe.Resolve(" localhost ", ip) == 0);
        EXPECT_THROW(probe.Ping(kHost, 1000, std::string(32768, 'x')), std::overflow_error);
    }
    EXPECT_EQ(descriptors(), before);
    // Batches too, with a lookup each: no descriptor, no thread left behind.
    const auto threads = [] { return std::distance(Fds("/proc/self/task"), Fds()); };
    PingIPv4 batches = ProgramProbe();
    const auto uncounted = [] { return 0L; };
    const auto fds = descriptors(), tasks = threads();
    // Answers within half a second even on a busy machine; the silent host costs as much.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Batch(batches, {kHost, "localhost", kSilentHost}, uncounted, 500).first, "AAN");
    // The last batch's thread closes its socket and ends just after its last report.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::make_pair(descriptors(), threads()) != std::make_pair(fds, tasks) &&
           std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(std::make_pair(descriptors(), threads()), std::make_pair(fds, tasks));
}

// A board of 255 hosts, two in five silent, every one checked with one request at once;
// then 255 that all answer, none dropped, and one of them falling silent.
TEST_P(InNamespace, ABatchChecksEveryHostOnce)
{
    auto [names, expected] = testing::MixedBoard();
    PingIPv4 probe = ProgramProbe();
    const auto both = [this] { return Echoes("s") + Echoes("a"); };
    EXPECT_EQ(Batch(probe, names, both), std::pair(expected, 255L));
    for (int i = 0; i < 255; ++i)
        names[i] = "203.0.113." + std::to_string(i);
    for (int cycle = 0; cycle < 3; ++cycle)
        EXPECT_EQ(Batch(probe, names, [this] { return Echoes("a"); }), std::pair(std::string(255, 'A'), 255L));
    ASSERT_EQ(std::system(("ip -n " + name_ + "-a route add blackhole 203.0.113.7/32").c_str()), 0);
    EXPECT_EQ(Batch(probe, names, [this] { return Echoes("a"); }).first,
              std::string(7, 'A') + 'N' + std::string(247, 'A'));
}

// Lookups with the client's resolv.conf, as `ip netns exec` shows it: its name server
// refuses every query.
TEST_P(InNamespace, FailedLookupKeepsTheCallersIp)
{
    const std::string conf = "/etc/netns/" + name_ + "/resolv.conf";
    ASSERT_TRUE(unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_SLAVE, nullptr) == 0 &&
                mount(conf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0);
    PingIPv4 probe;
    std::string ip = "192.0.2.99";
    EXPECT_EQ(probe.Resolve(" orvane2-no-such-host.invalid ", ip), 11002);
    EXPECT_EQ(ip, "192.0.2.99");
    EXPECT_EQ(probe.Resolve(" localhost ", ip), 0);
    EXPECT_EQ(ip, "127.0.0.1") << "/etc/hosts still works";
    PingIPv4 batch = ProgramProbe();
    EXPECT_EQ(Batch(batch, {"orvane2-no-such-host.invalid", " localhost", "203.0.113.9"}, [] { return 0L; }).first,
              "RAA");
    umount("/etc/resolv.conf");  // a later test in this process mounts its own
}

INSTANTIATE_TEST_SUITE_P(Socket, InNamespace, ::testing::Values("ping", "raw"),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace orvane2
