// Every call releases the descriptors it opens, on every path.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>

#include "icmp_rights.h"
#include "probe/ping_ipv4.h"

namespace orvane2 {
namespace {

std::ptrdiff_t OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

TEST(DescriptorUse, TwentyThousandPingsLeaveTheOpenDescriptorsAsTheyWere) {
    constexpr int kPings = 20000;
    const bool icmpAllowed = !test::WhyNoIcmp().has_value();
    const std::string tooLong(PingIPv4::kMaxDataSize + 1, 'x');
    PingIPv4 probe;
    std::string ip;
    // The C library opens some descriptors once and keeps them; let it do so first.
    probe.Ping("127.0.0.1");
    probe.Resolve("localhost", ip);
    const std::ptrdiff_t before = OpenDescriptors();

    int answered = 0;
    int thrown = 0;
    for (int i = 0; i < kPings; ++i) {
        answered += probe.Ping("127.0.0.1") ? 1 : 0;
        if (i % 10 == 0) {
            // The other paths: a lookup, a refused address, a payload that throws.
            EXPECT_EQ(probe.Resolve(" localhost ", ip), 0);
            EXPECT_FALSE(probe.Ping("not an address"));
            try {
                probe.Ping("127.0.0.1", 1000, tooLong);
            } catch (const std::overflow_error&) {
                ++thrown;
            }
        }
    }

    EXPECT_EQ(OpenDescriptors(), before);
    if (icmpAllowed) {
        EXPECT_EQ(answered, kPings);
        EXPECT_EQ(thrown, kPings / 10);
    } else {
        EXPECT_EQ(probe.Reason, 2) << "without ICMP rights every Ping stops at opening";
    }
}

}  // namespace
}  // namespace orvane2
