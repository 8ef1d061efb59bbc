// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "probe/echo_reply.h"
#include "probe/linux/icmp_packet.h"
#include "probe/linux/icmp_socket.h"

namespace orvane2 {

// The echo requests sent over one socket, and the one reader of what comes back. Every
// request carries the socket's identifier and a sequence number of its own; each packet
// read is routed by its sequence number to the request it may answer or quote, and
// counts only when it matches that request whole: an echo reply with its identifier and
// sequence from its destination, or an ICMP error that quotes it. Anything else is read
// and dropped. Each request waits until its own deadline, which packets that are not
// its answer never move. One thread uses a router; it does not own the socket.
class EchoRouter {
public:
    using Clock = std::chrono::steady_clock;
    using Sink = std::function<void(std::size_t request, const EchoReplyRecord& result)>;

    EchoRouter(int fd, IcmpSocketKind kind);
    ~EchoRouter();
    EchoRouter(const EchoRouter&) = delete;
    EchoRouter& operator=(const EchoRouter&) = delete;

    // Sends one echo request with payload to destination (network byte order), to be
    // answered until timeoutMs from now (a negative timeout counts as 0); request is the
    // caller's number for it. The echoed payload of its answer is copied into dataOut,
    // cut to its size. A send that fails settles the request at once.
    void Send(std::size_t request, std::uint32_t destination, std::span<const std::byte> payload,
              std::int32_t timeoutMs, std::span<std::byte> dataOut = {});

    // Waits until a request is settled (its answer, an error about it, a failed send,
    // its deadline), wakeFd (an eventfd, or -1 for none) becomes readable, or until,
    // whichever comes first; reads all that is queued meanwhile, stopping at a deadline
    // even while packets keep coming; clears wakeFd; and hands sink the result of every
    // request settled by then, each once, as EchoBatch::ResultSink describes it.
    void Collect(Clock::time_point until, int wakeFd, const Sink& sink);

private:
    struct Request;

    Request* Find(std::uint16_t sequence);
    void Settle(Request& request, const EchoReplyRecord& result);
    void SettleAll(std::int32_t status);
    void ExpireDue(Clock::time_point now);
    Clock::time_point EarliestDeadline() const;
    void ReadPackets(Clock::time_point limit);
    void ReadErrorQueue();

    int fd_;
    IcmpSocketKind kind_;
    std::uint16_t id_;             // the kernel's own on a ping socket, once known
    std::uint16_t firstSequence_;  // requests_[i] has sequence firstSequence_ + i
    std::vector<Request> requests_;
    std::vector<std::pair<std::size_t, EchoReplyRecord>> settled_;  // not yet handed out
    std::unique_ptr<std::byte[]> buffer_;
};

// Sends one echo request with its own identifier and sequence number to destination
// and waits for its answer until timeoutMs after the call began, through an EchoRouter
// of its own. The echoed payload is copied into dataOut, cut to its size.
EchoReplyRecord ExchangeEcho(int fd, IcmpSocketKind kind, std::uint32_t destination, std::span<const std::byte> payload,
                             std::int32_t timeoutMs, std::span<std::byte> dataOut);

}  // namespace orvane2
