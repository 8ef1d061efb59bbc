// SPDX-License-Identifier: MIT
#include "probe/linux/echo_batch.h"

#include <unistd.h>

#include <cstdint>
#include <utility>

namespace orvane2 {

LinuxEchoBatch::LinuxEchoBatch(UniqueFd socket, int borrowed, IcmpSocketKind kind, UniqueFd wake)
    : socket_(std::move(socket)), wake_(std::move(wake)), router_(socket_ ? socket_.get() : borrowed, kind)
{}

void LinuxEchoBatch::Send(std::size_t request, std::uint32_t destination, std::int32_t timeoutMs)
{
    router_.Send(request, destination, {}, timeoutMs);
}

void LinuxEchoBatch::Collect(Clock::time_point until, const ResultSink& sink)
{
    router_.Collect(until, wake_.get(), sink);
}

void LinuxEchoBatch::Wake()
{
    const std::uint64_t one = 1;
    // Fails only when the counter is full, and then a wake-up is pending anyway.
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
}

}  // namespace orvane2
