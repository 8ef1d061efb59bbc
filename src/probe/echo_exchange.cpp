// SPDX-License-Identifier: MIT
#include "probe/echo_exchange.h"

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

#include "probe/icmp_packet.h"
#include "probe/status_mapping.h"
#include "probe/windows_codes.h"

namespace orvane2 {
namespace {

using Clock = std::chrono::steady_clock;

// Largest IPv4 packet; a raw socket hands over the IP header as well.
constexpr std::size_t kMaxPacketSize = 65535;

EchoOutcome Failed(std::int32_t status)
{
    EchoOutcome outcome;
    outcome.status = status;
    return outcome;
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

class EchoWait {
public:
    EchoWait(int fd, EchoSocketKind kind, const icmp::EchoRequestKey& key, Clock::time_point sentAt,
             std::span<std::byte> dataOut)
        : fd_(fd),
          kind_(kind),
          key_(key),
          sentAt_(sentAt),
          dataOut_(dataOut),
          buffer_(std::make_unique_for_overwrite<std::byte[]>(kMaxPacketSize))
    {}

    EchoOutcome Until(Clock::time_point deadline)
    {
        for (;;) {
            const auto now = Clock::now();
            const timespec remaining = ToTimespec(now < deadline ? deadline - now : Clock::duration::zero());
            pollfd entry{fd_, POLLIN, 0};
            const int ready = ppoll(&entry, 1, &remaining, nullptr);
            if (ready < 0 && errno != EINTR) {
                return Failed(IpStatusForErrno(errno));
            }
            if (ready > 0) {
                if ((entry.revents & POLLNVAL) != 0) {
                    return Failed(wincodes::kErrorInvalidHandle);
                }
                if ((entry.revents & POLLERR) != 0) {
                    if (auto outcome = ReadErrorQueue()) {
                        return *outcome;
                    }
                }
                if ((entry.revents & POLLIN) != 0) {
                    if (auto outcome = ReadPackets(deadline)) {
                        return *outcome;
                    }
                }
            }
            if (Clock::now() >= deadline) {
                return Failed(wincodes::kIpReqTimedOut);
            }
        }
    }

private:
    // Reads everything queued; returns the outcome once the answer is among it. Stops
    // at the deadline even while packets keep coming, so a flood cannot hold the call.
    std::optional<EchoOutcome> ReadPackets(Clock::time_point deadline)
    {
        for (;;) {
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t received = recvfrom(fd_, buffer_.get(), kMaxPacketSize, MSG_DONTWAIT,
                                              reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (received < 0) {
                if (errno == EINTR) {
                    continue;
                }
                // EAGAIN: nothing more queued. Anything else is a pending socket error
                // that the error queue explains on the next wake-up.
                return std::nullopt;
            }
            const auto receivedAt = Clock::now();
            const std::span<const std::byte> packet(buffer_.get(), static_cast<std::size_t>(received));
            const icmp::Classification found = kind_ == EchoSocketKind::kRaw
                                                   ? icmp::ClassifyIpPacket(packet, key_)
                                                   : icmp::ClassifyIcmpMessage(packet, from.sin_addr.s_addr, key_);
            if (found.verdict == icmp::Verdict::kAnswer) {
                EchoOutcome outcome;
                outcome.status = wincodes::kIpSuccess;
                outcome.source = key_.destination;
                outcome.roundTripMs = WholeMilliseconds(receivedAt - sentAt_);
                outcome.dataSize = std::min(found.data.size(), dataOut_.size());
                std::copy_n(found.data.begin(), outcome.dataSize, dataOut_.begin());
                return outcome;
            }
            if (found.verdict == icmp::Verdict::kFailureReport) {
                return Failed(IpStatusForIcmpError(found.type, found.code));
            }
            if (receivedAt >= deadline) {
                return std::nullopt;
            }
        }
    }

    // A ping socket with IP_RECVERR queues ICMP errors about its requests here; the
    // data of each entry is the quoted ICMP header of the request and the name is
    // the address the request went to.
    std::optional<EchoOutcome> ReadErrorQueue()
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
            for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
                if (header->cmsg_level != SOL_IP || header->cmsg_type != IP_RECVERR) {
                    continue;
                }
                sock_extended_err error{};
                std::memcpy(&error, CMSG_DATA(header), sizeof error);
                if (error.ee_origin == SO_EE_ORIGIN_ICMP && icmp::IsFailureReport(error.ee_type) &&
                    icmp::QuotesRequest(quoted, quotedDestination.sin_addr.s_addr, key_)) {
                    return Failed(IpStatusForIcmpError(error.ee_type, error.ee_code));
                }
                if (error.ee_origin == SO_EE_ORIGIN_LOCAL) {
                    // The local stack refused our one request (e.g. message too long).
                    return Failed(IpStatusForErrno(static_cast<int>(error.ee_errno)));
                }
            }
        }
        if (!readAny) {
            // An error without queue entry would keep poll reporting POLLERR; take it.
            int pending = 0;
            socklen_t length = sizeof pending;
            getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length);
        }
        return std::nullopt;
    }

    int fd_;
    EchoSocketKind kind_;
    icmp::EchoRequestKey key_;
    Clock::time_point sentAt_;
    std::span<std::byte> dataOut_;
    std::unique_ptr<std::byte[]> buffer_;
};

}  // namespace

EchoOutcome ExchangeEcho(int fd, EchoSocketKind kind, std::uint32_t destination, std::span<const std::byte> payload,
                         std::int32_t timeoutMs, std::span<std::byte> dataOut)
{
    const auto started = Clock::now();
    const auto deadline = started + std::chrono::milliseconds(std::max(timeoutMs, 0));

    const std::uint32_t random = RandomBits();
    icmp::EchoRequestKey key;
    key.id = static_cast<std::uint16_t>(random >> 16);
    key.sequence = static_cast<std::uint16_t>(random & 0xFFFF);
    key.destination = destination;
    const std::vector<std::byte> request = icmp::BuildEchoRequest(key.id, key.sequence, payload);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;
    const auto sentAt = Clock::now();
    if (sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
        return Failed(IpStatusForErrno(errno));
    }
    if (kind == EchoSocketKind::kPing) {
        // The kernel replaced our identifier by the socket's own (its local "port").
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            return Failed(IpStatusForErrno(errno));
        }
        key.id = ntohs(local.sin_port);
    }
    return EchoWait(fd, kind, key, sentAt, dataOut).Until(deadline);
}

}  // namespace orvane2
