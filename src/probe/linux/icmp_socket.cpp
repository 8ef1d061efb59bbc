// SPDX-License-Identifier: MIT
#include "probe/linux/icmp_socket.h"

#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include "probe/linux/capabilities.h"
#include "probe/linux/icmp_packet.h"

namespace orvane2 {
namespace {

// A ping socket is refused with these when the user may not use one.
bool PingSocketRefused(int error)
{
    return error == EACCES || error == EPERM || error == EAFNOSUPPORT || error == EPROTONOSUPPORT;
}

// Gives an ICMP socket a receive buffer that holds the answers of 255 hosts arriving at
// once, as far as net.core.rmem_max allows.
void SetReceiveBuffer(int fd)
{
    // An answer takes 832 bytes of the buffer (measured on a veth), so the usual default
    // of 208 KiB holds 256 and no more. The kernel doubles what is asked for its own
    // bookkeeping, after capping it at net.core.rmem_max (208 KiB unless raised): at
    // least 512 answers.
    const int bytes = 512 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

IcmpSocket Opened(UniqueFd fd, IcmpSocketKind kind)
{
    SetReceiveBuffer(fd.get());
    return {std::move(fd), kind, 0};
}

IcmpSocket Failed(int error)
{
    return {UniqueFd(), IcmpSocketKind::kPing, error};
}

}  // namespace

IcmpSocket OpenIcmpSocket()
{
    UniqueFd ping(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (ping) {
        // Without IP_RECVERR the kernel drops ICMP errors about our requests.
        const int on = 1;
        if (setsockopt(ping.get(), SOL_IP, IP_RECVERR, &on, sizeof on) != 0)
            return Failed(errno);
        return Opened(std::move(ping), IcmpSocketKind::kPing);
    }
    if (!PingSocketRefused(errno))
        return Failed(errno);
    if (!RaiseNetRaw())
        return Failed(EPERM);
    UniqueFd raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (!raw)
        return Failed(errno);
    // A raw ICMP socket sees all ICMP traffic of the host; let only the types that can
    // answer a request wake us up. Without the filter everything still works, only with
    // more reading.
    icmp_filter filter{};
    filter.data = ~((1u << icmp::kEchoReply) | (1u << icmp::kDestUnreachable) | (1u << icmp::kTimeExceeded) |
                    (1u << icmp::kParameterProblem));
    setsockopt(raw.get(), SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    return Opened(std::move(raw), IcmpSocketKind::kRaw);
}

EchoPrivilege::EchoPrivilege()
{
    IcmpSocket socket = OpenIcmpSocket();
    if (socket.kind == IcmpSocketKind::kRaw)
        raw_ = std::move(socket.fd);
    dropped_ = DropEveryCapability();
}

}  // namespace orvane2
