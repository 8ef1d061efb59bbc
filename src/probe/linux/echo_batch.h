// SPDX-License-Identifier: MIT
#pragma once

#include "probe/linux/echo_router.h"
#include "probe/linux/unique_fd.h"
#include "probe/probe_platform.h"

namespace orvane2 {

// A batch of echo requests on Linux: every request goes out over one ICMP socket, and
// its EchoRouter reads and routes what comes back. Wake() writes to an eventfd that
// Collect watches beside the socket.
class LinuxEchoBatch final : public EchoBatch {
public:
    // Over socket, which the batch owns, or over borrowed (a socket that outlives the
    // batch) when socket is empty; wake is an eventfd.
    LinuxEchoBatch(UniqueFd socket, int borrowed, IcmpSocketKind kind, UniqueFd wake);

    void Send(std::size_t request, std::uint32_t destination, std::int32_t timeoutMs) override;
    void Collect(Clock::time_point until, const ResultSink& sink) override;
    void Wake() override;

private:
    UniqueFd socket_;
    UniqueFd wake_;
    EchoRouter router_;
};

}  // namespace orvane2
