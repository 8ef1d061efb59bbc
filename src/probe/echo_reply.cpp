// SPDX-License-Identifier: MIT
#include "probe/echo_reply.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "probe/status_codes.h"

namespace orvane2 {
namespace {

constexpr std::size_t kAddressOffset = 0;
constexpr std::size_t kStatusOffset = 4;
constexpr std::size_t kRoundTripOffset = 8;
constexpr std::size_t kDataSizeOffset = 12;
constexpr std::size_t kDataOffsetOffset = 16;

template <typename T>
void Put(std::span<std::byte> buffer, std::size_t offset, T value)
{
    std::memcpy(buffer.data() + offset, &value, sizeof value);
}

template <typename T>
T Get(std::span<const std::byte> buffer, std::size_t offset)
{
    T value{};
    std::memcpy(&value, buffer.data() + offset, sizeof value);
    return value;
}

void RequireRecordRoom(std::size_t size)
{
    if (size < kEchoReplyRecordSize) {
        throw std::length_error("echo reply buffer is smaller than one reply record");
    }
}

}  // namespace

std::int32_t EchoStatus(const EchoReplyRecord& first, std::uint32_t destination)
{
    if (first.status != static_cast<std::uint32_t>(codes::kIpSuccess))
        return static_cast<std::int32_t>(first.status);
    return first.address == destination ? codes::kIpSuccess : codes::kIpGeneralFailure;
}

void WriteEchoReply(std::span<std::byte> buffer, const EchoReplyRecord& record)
{
    RequireRecordRoom(buffer.size());
    std::fill_n(buffer.begin(), kEchoReplyRecordSize, std::byte{0});
    Put(buffer, kAddressOffset, record.address);
    Put(buffer, kStatusOffset, record.status);
    Put(buffer, kRoundTripOffset, record.roundTripTime);
    Put(buffer, kDataSizeOffset, record.dataSize);
    Put(buffer, kDataOffsetOffset, static_cast<std::uint32_t>(kEchoReplyRecordSize));
}

EchoReplyRecord ReadEchoReply(std::span<const std::byte> buffer)
{
    RequireRecordRoom(buffer.size());
    EchoReplyRecord record;
    record.address = Get<std::uint32_t>(buffer, kAddressOffset);
    record.status = Get<std::uint32_t>(buffer, kStatusOffset);
    record.roundTripTime = Get<std::uint32_t>(buffer, kRoundTripOffset);
    record.dataSize = Get<std::uint16_t>(buffer, kDataSizeOffset);
    return record;
}

}  // namespace orvane2
