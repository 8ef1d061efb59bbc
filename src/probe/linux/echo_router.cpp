// SPDX-License-Identifier: MIT
#include "probe/linux/echo_router.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>

#include "probe/linux/icmp_packet.h"
#include "probe/linux/status_mapping.h"
#include "probe/status_codes.h"

namespace orvane2 {
namespace {

using Clock = std::chrono::steady_clock;

// Largest IPv4 packet; a raw socket hands over the IP header as well.
constexpr std::size_t kMaxPacketSize = 65535;

EchoReplyRecord Failed(std::int32_t status)
{
    EchoReplyRecord failed;
    failed.status = static_cast<std::uint32_t>(status);
    return failed;
}

// 32 unpredictable bits for the identifier and sequence number of one request, so
// that requests of other calls and other programs do not collide with it.
std::uint32_t RandomBits()
{
    std::uint32_t bits = 0;
    if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits)) {
        return bits;
    }
    const auto now = static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(now ^ (now >> 32));
}

timespec ToTimespec(Clock::duration duration)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(duration - seconds);
    timespec result{};
    result.tv_sec = static_cast<time_t>(seconds.count());
    result.tv_nsec = static_cast<long>(nanoseconds.count());
    return result;
}

std::uint32_t WholeMilliseconds(Clock::duration duration)
{
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

}  // namespace

struct EchoRouter::Request {
    std::size_t request = 0;
    icmp::EchoRequestKey key;
    Clock::time_point sentAt;
    Clock::time_point deadline;
    std::span<std::byte> dataOut;
    bool settled = false;
};

EchoRouter::EchoRouter(int fd, IcmpSocketKind kind)
    : fd_(fd), kind_(kind), buffer_(std::make_unique_for_overwrite<std::byte[]>(kMaxPacketSize))
{
    const std::uint32_t random = RandomBits();
    id_ = static_cast<std::uint16_t>(random >> 16);
    firstSequence_ = static_cast<std::uint16_t>(random & 0xFFFF);
}

EchoRouter::~EchoRouter() = default;

void EchoRouter::Send(std::size_t request, std::uint32_t destination, std::span<const std::byte> payload,
                      std::int32_t timeoutMs, std::span<std::byte> dataOut)
{
    const auto started = Clock::now();
    if (requests_.size() > 0xFFFF) {
        // Every sequence number is taken: a second request with one could not be told apart.
        settled_.emplace_back(request, Failed(codes::kIpGeneralFailure));
        return;
    }
    Request& sent = requests_.emplace_back();
    sent.request = request;
    sent.key.id = id_;
    sent.key.sequence = static_cast<std::uint16_t>(firstSequence_ + requests_.size() - 1);
    sent.key.destination = destination;
    sent.dataOut = dataOut;
    sent.deadline = started + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const std::vector<std::byte> message = icmp::BuildEchoRequest(sent.key.id, sent.key.sequence, payload);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;
    sent.sentAt = Clock::now();
    if (sendto(fd_, message.data(), message.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
        Settle(sent, Failed(IpStatusForErrno(errno)));
        return;
    }
    if (kind_ == IcmpSocketKind::kPing && requests_.size() == 1) {
        // The kernel replaced our identifier by the socket's own (its local "port").
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            Settle(sent, Failed(IpStatusForErrno(errno)));
            return;
        }
        id_ = sent.key.id = ntohs(local.sin_port);
    }
}

void EchoRouter::Collect(Clock::time_point until, int wakeFd, const Sink& sink)
{
    for (bool woken = false; !woken;) {
        const auto now = Clock::now();
        ExpireDue(now);
        const auto limit = std::min(until, EarliestDeadline());
        if (!settled_.empty() || now >= limit) {
            break;
        }
        std::array<pollfd, 2> entries{{{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
        const timespec remaining = limit == Clock::time_point::max() ? timespec{} : ToTimespec(limit - now);
        const int ready = ppoll(entries.data(), wakeFd >= 0 ? 2 : 1,
                                limit == Clock::time_point::max() ? nullptr : &remaining, nullptr);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            SettleAll(IpStatusForErrno(errno));
            break;
        }
        if ((entries[0].revents & POLLNVAL) != 0) {
            SettleAll(codes::kErrorInvalidHandle);
            break;
        }
        if ((entries[0].revents & POLLERR) != 0) {
            ReadErrorQueue();
        }
        if ((entries[0].revents & POLLIN) != 0) {
            ReadPackets(limit);
        }
        if ((entries[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            woken = read(wakeFd, &count, sizeof count) >= 0 || errno != EINTR;
        }
    }
    std::vector<std::pair<std::size_t, EchoReplyRecord>> results;
    results.swap(settled_);
    for (const auto& [request, result] : results) {
        sink(request, result);
    }
}

EchoRouter::Request* EchoRouter::Find(std::uint16_t sequence)
{
    const std::size_t index = static_cast<std::uint16_t>(sequence - firstSequence_);
    return index < requests_.size() && !requests_[index].settled ? &requests_[index] : nullptr;
}

void EchoRouter::Settle(Request& request, const EchoReplyRecord& result)
{
    request.settled = true;
    settled_.emplace_back(request.request, result);
}

void EchoRouter::SettleAll(std::int32_t status)
{
    for (Request& request : requests_) {
        if (!request.settled) {
            Settle(request, Failed(status));
        }
    }
}

void EchoRouter::ExpireDue(Clock::time_point now)
{
    for (Request& request : requests_) {
        if (!request.settled && request.deadline <= now) {
            Settle(request, Failed(codes::kIpReqTimedOut));
        }
    }
}

EchoRouter::Clock::time_point EchoRouter::EarliestDeadline() const
{
    auto earliest = Clock::time_point::max();
    for (const Request& request : requests_) {
        if (!request.settled) {
            earliest = std::min(earliest, request.deadline);
        }
    }
    return earliest;
}

// Reads everything queued. Stops at limit even while packets keep coming, so that a
// flood cannot hold a deadline up.
void EchoRouter::ReadPackets(Clock::time_point limit)
{
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            recvfrom(fd_, buffer_.get(), kMaxPacketSize, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received < 0) {
            if (errno == EINTR) {
                continue;
            }
            // EAGAIN: nothing more queued. Anything else is a pending socket error that
            // the error queue explains on the next wake-up.
            return;
        }
        const auto receivedAt = Clock::now();
        const std::span<const std::byte> packet(buffer_.get(), static_cast<std::size_t>(received));
        const bool raw = kind_ == IcmpSocketKind::kRaw;
        const auto sequence = raw ? icmp::SequenceOfIpPacket(packet) : icmp::SequenceOfIcmpMessage(packet);
        if (Request* request = sequence ? Find(*sequence) : nullptr) {
            const icmp::Classification found =
                raw ? icmp::ClassifyIpPacket(packet, request->key)
                    : icmp::ClassifyIcmpMessage(packet, from.sin_addr.s_addr, request->key);
            if (found.verdict == icmp::Verdict::kAnswer) {
                EchoReplyRecord answer;
                answer.status = codes::kIpSuccess;
                answer.address = request->key.destination;  // the reply's source, as classified
                answer.roundTripTime = WholeMilliseconds(receivedAt - request->sentAt);
                const std::size_t copied = std::min(found.data.size(), request->dataOut.size());
                answer.dataSize = static_cast<std::uint16_t>(copied);
                std::copy_n(found.data.begin(), copied, request->dataOut.begin());
                Settle(*request, answer);
            } else if (found.verdict == icmp::Verdict::kFailureReport) {
                Settle(*request, Failed(IpStatusForIcmpError(found.type, found.code)));
            }
        }
        if (receivedAt >= limit) {
            return;
        }
    }
}

// A ping socket with IP_RECVERR queues ICMP errors about its requests here; the data of
// each entry is the quoted ICMP header of the request and the name is the address the
// request went to.
void EchoRouter::ReadErrorQueue()
{
    bool readAny = false;
    for (;;) {
        sockaddr_in quotedDestination{};
        alignas(cmsghdr) std::array<char, 512> control{};
        iovec data{buffer_.get(), kMaxPacketSize};
        msghdr message{};
        message.msg_name = &quotedDestination;
        message.msg_namelen = sizeof quotedDestination;
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        const ssize_t received = recvmsg(fd_, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (received < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        readAny = true;
        const std::span<const std::byte> quoted(buffer_.get(), static_cast<std::size_t>(received));
        const std::uint32_t destination = quotedDestination.sin_addr.s_addr;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != SOL_IP || header->cmsg_type != IP_RECVERR) {
                continue;
            }
            sock_extended_err error{};
            std::memcpy(&error, CMSG_DATA(header), sizeof error);
            if (error.ee_origin == SO_EE_ORIGIN_ICMP && icmp::IsFailureReport(error.ee_type)) {
                const auto sequence = icmp::SequenceOfIcmpMessage(quoted);
                Request* request = sequence ? Find(*sequence) : nullptr;
                if (request != nullptr && icmp::QuotesRequest(quoted, destination, request->key)) {
                    Settle(*request, Failed(IpStatusForIcmpError(error.ee_type, error.ee_code)));
                }
            } else if (error.ee_origin == SO_EE_ORIGIN_LOCAL) {
                // The local stack refused a request to that destination (e.g. message too
                // long); the entry quotes nothing more.
                for (Request& request : requests_) {
                    if (!request.settled && request.key.destination == destination) {
                        Settle(request, Failed(IpStatusForErrno(static_cast<int>(error.ee_errno))));
                        break;
                    }
                }
            }
        }
    }
    if (!readAny) {
        // An error without queue entry would keep poll reporting POLLERR; take it.
        int pending = 0;
        socklen_t length = sizeof pending;
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length);
    }
}

EchoReplyRecord ExchangeEcho(int fd, IcmpSocketKind kind, std::uint32_t destination, std::span<const std::byte> payload,
                             std::int32_t timeoutMs, std::span<std::byte> dataOut)
{
    EchoRouter router(fd, kind);
    router.Send(0, destination, payload, timeoutMs, dataOut);
    std::optional<EchoReplyRecord> found;
    while (!found) {
        router.Collect(EchoRouter::Clock::time_point::max(), -1,
                       [&found](std::size_t, const EchoReplyRecord& result) { found = result; });
    }
    return *found;
}

}  // namespace orvane2
