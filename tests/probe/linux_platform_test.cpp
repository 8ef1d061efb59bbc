// SPDX-License-Identifier: MIT
// The parts of the Linux platform that need no network: the Windows numbers it
// reports, inet_addr's rules and those of the sockets library.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>
#include <tuple>

#include "probe/linux_probe_platform.h"
#include "probe/status_mapping.h"

namespace orvane2 {
namespace {

TEST(StatusMapping, GivesTheWindowsNumbers)
{
    const std::tuple<std::uint8_t, std::uint8_t, std::int32_t> errors[] = {
        {3, 0, 11002},  {3, 1, 11003},  {3, 2, 11004},  {3, 3, 11005},  {3, 4, 11009},
        {3, 13, 11003}, {11, 0, 11013}, {11, 1, 11014}, {12, 0, 11015}, {5, 0, 11050}};
    for (const auto& [type, code, status] : errors) {
        EXPECT_EQ(IpStatusForIcmpError(type, code), status) << "type " << +type << " code " << +code;
    }
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
    for (const char* text : {"127.0.0.1", "127.1", "2130706433", "0x7f.0.0.1", "0177.0.0.01"}) {
        EXPECT_EQ(platform.ParseAddress(text), inet_addr("127.0.0.1")) << text;
    }
    for (const char* text : {"255.255.255.255", "1.2.3.256", " 1.2.3.4", "08.0.0.1", "localhost", ""}) {
        EXPECT_EQ(platform.ParseAddress(text), kNotAnAddress) << text;
    }
    EXPECT_EQ(platform.CleanupSockets(), -1) << "no clean-up without start-up";
    EXPECT_EQ(platform.LastError(), 10093);
    EXPECT_EQ(platform.StartSockets(0x0000), 10092);
    EXPECT_EQ(platform.StartSockets(0x0202), 0);
    EXPECT_EQ(platform.CleanupSockets(), 0);
    EXPECT_EQ(platform.FormatAddress(inet_addr("198.51.100.1")), "198.51.100.1");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 4), "127");
    EXPECT_EQ(platform.CopyText("127.0.0.1", 0), std::nullopt);
    std::vector<std::byte> reply(36);
    EXPECT_EQ(platform.SendEcho(0, 1, nullptr, 0, reply, 100), 0u) << "stdin is no echo handle";
    EXPECT_EQ(platform.LastError(), 6);
    EXPECT_EQ(platform.SendEcho(0, 1, "x", 1, reply, 100), 0u) << "no room for the payload";
    EXPECT_EQ(platform.LastError(), 11001);
    EXPECT_FALSE(platform.CloseEcho(kInvalidEchoHandle));
}

}  // namespace
}  // namespace orvane2
