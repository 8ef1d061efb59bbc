// Platform errors expressed as the Windows numbers the probe reports.
#include "probe/status_mapping.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

namespace orvane2 {
namespace {

TEST(IpStatusForIcmpError, NamesEachErrorWithItsWindowsStatus) {
    const struct {
        std::uint8_t type;
        std::uint8_t code;
        std::int32_t status;
    } cases[] = {
        {3, 0, 11002},  {3, 1, 11003},  {3, 2, 11004},  {3, 3, 11005},  {3, 4, 11009},  {3, 5, 11012},
        {3, 6, 11002},  {3, 7, 11003},  {3, 8, 11003},  {3, 9, 11002},  {3, 10, 11003}, {3, 11, 11002},
        {3, 12, 11003}, {3, 13, 11003}, {3, 14, 11003}, {3, 15, 11003}, {3, 99, 11003}, {11, 0, 11013},
        {11, 1, 11014}, {12, 0, 11015}, {12, 2, 11015}, {0, 0, 11050},  {40, 0, 11050},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IpStatusForIcmpError(c.type, c.code), c.status) << "type " << +c.type << " code " << +c.code;
    }
}

TEST(IpStatusForErrno, NamesSendFailures) {
    const struct {
        int error;
        std::int32_t status;
    } cases[] = {
        {ENETUNREACH, 11002}, {EHOSTUNREACH, 11003}, {EMSGSIZE, 11009}, {ENOBUFS, 11006}, {ENOMEM, 11006},
        {EBADF, 6},           {ENOTSOCK, 6},         {EACCES, 11050},   {EPERM, 11050},   {0, 11050},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IpStatusForErrno(c.error), c.status) << "errno " << c.error;
    }
}

TEST(WsaErrorForLookup, GivesWindowsSocketsNumbersAndNeverZero) {
    const struct {
        int gaiError;
        std::int32_t wsaError;
    } cases[] = {
        {EAI_NONAME, 11001}, {EAI_AGAIN, 11002},   {EAI_FAIL, 11003},    {EAI_NODATA, 11004},
        {EAI_ADDRFAMILY, 11004}, {EAI_MEMORY, 8},  {EAI_SYSTEM, 11003},  {EAI_SERVICE, 11003},
        {EAI_FAMILY, 11003}, {EAI_SOCKTYPE, 11003}, {EAI_BADFLAGS, 11003}, {EAI_OVERFLOW, 11003},
        {0, 11003},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WsaErrorForLookup(c.gaiError), c.wsaError) << "getaddrinfo error " << c.gaiError;
    }
}

}  // namespace
}  // namespace orvane2
