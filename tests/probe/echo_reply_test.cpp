// The reply record layout shared by the echo service and Ping.
#include "probe/echo_reply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace orvane2 {
namespace {

template <typename T>
T At(const std::vector<std::byte>& buffer, std::size_t offset) {
    T value{};
    std::memcpy(&value, buffer.data() + offset, sizeof value);
    return value;
}

TEST(EchoReplyRecord, HasTheLayoutOfThe32BitIcmpEchoReply) {
    std::vector<std::byte> buffer(40, std::byte{0x5A});
    WriteEchoReply(buffer, {0x0100007F, 11003, 42, 5});
    EXPECT_EQ(At<std::uint32_t>(buffer, 0), 0x0100007Fu);
    EXPECT_EQ(At<std::uint32_t>(buffer, 4), 11003u);
    EXPECT_EQ(At<std::uint32_t>(buffer, 8), 42u);
    EXPECT_EQ(At<std::uint16_t>(buffer, 12), 5u);
    EXPECT_EQ(At<std::uint16_t>(buffer, 14), 0u);
    EXPECT_EQ(At<std::uint32_t>(buffer, 16), 28u) << "data follows the record";
    EXPECT_EQ(At<std::uint64_t>(buffer, 20), 0u);
    EXPECT_EQ(buffer[28], std::byte{0x5A}) << "nothing written past the record";

    const EchoReplyRecord read = ReadEchoReply(buffer);
    EXPECT_EQ(read.address, 0x0100007Fu);
    EXPECT_EQ(read.status, 11003u);
    EXPECT_EQ(read.roundTripTime, 42u);
    EXPECT_EQ(read.dataSize, 5u);
}

TEST(EchoReplyRecord, NeedsRoomForOneRecord) {
    std::vector<std::byte> buffer(27);
    EXPECT_THROW(WriteEchoReply(buffer, {}), std::length_error);
    EXPECT_THROW(ReadEchoReply(buffer), std::length_error);
}

}  // namespace
}  // namespace orvane2
