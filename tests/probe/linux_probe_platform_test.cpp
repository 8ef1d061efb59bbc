// The Linux platform and PingIPv4 on it, on this machine's loopback only.
#include "probe/linux_probe_platform.h"

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "icmp_rights.h"
#include "probe/echo_reply.h"
#include "probe/ping_ipv4.h"

namespace orvane2 {
namespace {

constexpr std::uint32_t Ip(std::uint32_t hostOrder) {
    return __builtin_bswap32(hostOrder);  // this code runs little-endian; checked below
}
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);

const std::uint32_t kLoopback = Ip(0x7F000001);

TEST(LinuxParseAddress, FollowsInetAddr) {
    const struct {
        const char* text;
        std::uint32_t address;
    } cases[] = {
        {"127.0.0.1", Ip(0x7F000001)},
        {"127.1", Ip(0x7F000001)},
        {"10.1.2", Ip(0x0A010002)},
        {"2130706433", Ip(0x7F000001)},
        {"0x7f.0.0.1", Ip(0x7F000001)},
        {"0177.0.0.01", Ip(0x7F000001)},
        {"192.0.2.5 rest", Ip(0xC0000205)},  // glibc stops at a blank
        {"0.0.0.0", 0},
        {"255.255.255.255", kNotAnAddress},
        {"1.2.3.256", kNotAnAddress},
        {"1.2.3.4.5", kNotAnAddress},
        {" 1.2.3.4", kNotAnAddress},
        {"08.0.0.1", kNotAnAddress},
        {"localhost", kNotAnAddress},
        {"", kNotAnAddress},
    };
    LinuxProbePlatform platform;
    for (const auto& c : cases) {
        EXPECT_EQ(platform.ParseAddress(c.text), c.address) << '"' << c.text << '"';
    }
}

TEST(LinuxSockets, StartUpAndCleanUpFollowTheSocketsLibrary) {
    LinuxProbePlatform platform;
    EXPECT_EQ(platform.CleanupSockets(), -1) << "clean-up without start-up";
    EXPECT_EQ(platform.LastError(), 10093);
    EXPECT_EQ(platform.StartSockets(0x0000), 10092) << "version 0.0";
    EXPECT_EQ(platform.CleanupSockets(), -1) << "a refused start-up needs no clean-up";

    EXPECT_EQ(platform.StartSockets(0x0202), 0);
    EXPECT_EQ(platform.StartSockets(0x0101), 0);
    EXPECT_EQ(platform.CleanupSockets(), 0);
    EXPECT_EQ(platform.LastError(), 0);
    EXPECT_EQ(platform.CleanupSockets(), 0);
    EXPECT_NE(platform.CleanupSockets(), 0);
}

TEST(LinuxLookup, FindsLocalhostFromTheHostsFile) {
    LinuxProbePlatform platform;
    const std::optional<HostEntry> entry = platform.LookupHost("localhost");
    ASSERT_TRUE(entry.has_value());
    ASSERT_FALSE(entry->addresses.empty());
    EXPECT_EQ(entry->addresses.front(), kLoopback);
    EXPECT_EQ(platform.LastError(), 0);
}

TEST(LinuxFormatAddress, GivesDottedText) {
    LinuxProbePlatform platform;
    EXPECT_EQ(platform.FormatAddress(kLoopback), "127.0.0.1");
    EXPECT_EQ(platform.FormatAddress(0), "0.0.0.0");
    EXPECT_EQ(platform.FormatAddress(kNotAnAddress), "255.255.255.255");
    EXPECT_EQ(platform.FormatAddress(Ip(0xC6336401)), "198.51.100.1");
}

TEST(LinuxCopyText, CopiesUpToBoundLessTheTerminator) {
    LinuxProbePlatform platform;
    EXPECT_EQ(platform.CopyText("127.0.0.1", 10), "127.0.0.1");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 50), "127.0.0.1");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 4), "127");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 1), "");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 0), std::nullopt);
}

TEST(LinuxEcho, HandlesThatAreNotEchoSocketsAreRefused) {
    LinuxProbePlatform platform;
    std::vector<std::byte> reply(36);
    EXPECT_EQ(platform.SendEcho(kInvalidEchoHandle, kLoopback, nullptr, 0, reply, 100), 0u);
    EXPECT_EQ(platform.LastError(), 6);
    EXPECT_EQ(platform.SendEcho(0, kLoopback, nullptr, 0, reply, 100), 0u) << "stdin is no socket";
    EXPECT_EQ(platform.LastError(), 6);
    EXPECT_FALSE(platform.CloseEcho(kInvalidEchoHandle));
    EXPECT_EQ(platform.LastError(), EBADF);
    EXPECT_FALSE(platform.CloseEcho(1 << 30));
    EXPECT_EQ(platform.LastError(), EBADF);
}

class LinuxLoopbackEcho : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto why = test::WhyNoIcmp()) {
            GTEST_SKIP() << *why;
        }
    }
};

TEST_F(LinuxLoopbackEcho, FillsTheReplyRecordAndEchoedData) {
    LinuxProbePlatform platform;
    const EchoHandle handle = platform.OpenEcho();
    ASSERT_NE(handle, kInvalidEchoHandle) << "errno " << platform.LastError();
    const std::string payload = "orvane2 payload";
    std::vector<std::byte> reply(payload.size() + 36, std::byte{0});

    ASSERT_EQ(platform.SendEcho(handle, kLoopback, payload.data(), static_cast<std::uint16_t>(payload.size()), reply,
                                1000),
              1u)
        << "status " << platform.LastError();
    EXPECT_EQ(platform.LastError(), 0);
    const EchoReplyRecord record = ReadEchoReply(reply);
    EXPECT_EQ(record.address, kLoopback);
    EXPECT_EQ(record.status, 0u);
    EXPECT_LT(record.roundTripTime, 1000u);
    EXPECT_EQ(record.dataSize, payload.size());
    EXPECT_EQ(std::memcmp(reply.data() + kEchoReplyRecordSize, payload.data(), payload.size()), 0);
    EXPECT_TRUE(platform.CloseEcho(handle));
}

TEST_F(LinuxLoopbackEcho, ReplyBufferMustHoldRecordPayloadAndEightBytes) {
    LinuxProbePlatform platform;
    const EchoHandle handle = platform.OpenEcho();
    ASSERT_NE(handle, kInvalidEchoHandle);
    const std::string payload(10, 'p');
    std::vector<std::byte> reply(payload.size() + 35);
    EXPECT_EQ(platform.SendEcho(handle, kLoopback, payload.data(), 10, reply, 1000), 0u);
    EXPECT_EQ(platform.LastError(), 11001);
    EXPECT_TRUE(platform.CloseEcho(handle));
    EXPECT_FALSE(platform.CloseEcho(handle)) << "closed once already";
}

TEST_F(LinuxLoopbackEcho, PingIPv4AnswersOnLoopback) {
    PingIPv4 probe;
    ASSERT_TRUE(probe.Ping("127.0.0.1")) << "Reason " << probe.Reason << " Status " << probe.Status;
    EXPECT_EQ(probe.Status, 0);
    EXPECT_GE(probe.RoundTripTime, 0);
    EXPECT_LT(probe.RoundTripTime, 1000);

    ASSERT_TRUE(probe.Ping("127.0.0.1", 1000, std::string(32767, 'x'))) << "the largest payload";
    EXPECT_THROW(probe.Ping("127.0.0.1", 1000, std::string(32768, 'x')), std::overflow_error);
}

TEST(LinuxPingIPv4, RefusesWhatIsNotADottedAddress) {
    PingIPv4 probe;
    for (const char* ip : {"255.255.255.255", "localhost", " 127.0.0.1", ""}) {
        probe.Status = 5;
        EXPECT_FALSE(probe.Ping(ip)) << '"' << ip << '"';
        EXPECT_EQ(probe.Reason, 1);
        EXPECT_EQ(probe.Status, 0);
    }
}

TEST(LinuxPingIPv4, ResolvesLocalNamesAndAddresses) {
    PingIPv4 probe;
    std::string ip = "unset";
    EXPECT_EQ(probe.Resolve("localhost", ip), 0);
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(probe.Resolve(" 127.1 ", ip), 0);
    EXPECT_EQ(ip, "127.1");
    EXPECT_EQ(probe.Resolve("  localhost ", ip), 0);
    EXPECT_EQ(ip, "127.0.0.1");
}

}  // namespace
}  // namespace orvane2
