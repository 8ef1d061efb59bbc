// SPDX-License-Identifier: MIT
#include "probe/linux/icmp_socket.h"

#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/capability.h>
#include <sys/socket.h>

#include <memory>
#include <type_traits>

#include "probe/linux/icmp_packet.h"

namespace orvane2 {
namespace {

struct CapabilityStateFree {
    void operator()(cap_t state) const { cap_free(state); }
};
using CapabilityState = std::unique_ptr<std::remove_pointer_t<cap_t>, CapabilityStateFree>;

bool PingSocketAllowed()
{
    return static_cast<bool>(UniqueFd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP)));
}

// Raises CAP_NET_RAW from the permitted into the effective set, when it is permitted,
// and opens the raw socket with it.
UniqueFd OpenWithCapability()
{
    const CapabilityState state(cap_get_proc());
    cap_value_t netRaw[] = {CAP_NET_RAW};
    cap_flag_value_t permitted = CAP_CLEAR;
    if (!state || cap_get_flag(state.get(), CAP_NET_RAW, CAP_PERMITTED, &permitted) != 0 || permitted != CAP_SET ||
        cap_set_flag(state.get(), CAP_EFFECTIVE, 1, netRaw, CAP_SET) != 0 || cap_set_proc(state.get()) != 0) {
        return UniqueFd();
    }
    return UniqueFd(OpenRawIcmpSocket());
}

// Empties the permitted, effective and inheritable sets (the ambient set follows the
// permitted one) and checks that the kernel holds nothing more for this process.
bool DropEveryCapability()
{
    const CapabilityState none(cap_init());
    if (!none || cap_set_proc(none.get()) != 0) {
        return false;
    }
    const CapabilityState now(cap_get_proc());
    return now && cap_compare(now.get(), none.get()) == 0;
}

}  // namespace

int OpenRawIcmpSocket()
{
    UniqueFd fd(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (fd) {
        // A raw ICMP socket sees all ICMP traffic of the host; let only the types that
        // can answer a request wake us up. Without the filter everything still works,
        // only with more reading.
        icmp_filter filter{};
        filter.data = ~((1u << icmp::kEchoReply) | (1u << icmp::kDestUnreachable) | (1u << icmp::kTimeExceeded) |
                        (1u << icmp::kParameterProblem));
        setsockopt(fd.get(), SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
        SetReceiveBuffer(fd.get());
    }
    return fd.release();
}

void SetReceiveBuffer(int fd)
{
    // An answer takes 832 bytes of the buffer (measured on a veth), so the usual default
    // of 208 KiB holds 256 and no more. The kernel doubles what is asked for its own
    // bookkeeping, after capping it at net.core.rmem_max (208 KiB unless raised): at
    // least 512 answers.
    const int bytes = 512 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

EchoPrivilege::EchoPrivilege()
{
    if (!PingSocketAllowed()) {
        raw_ = OpenWithCapability();
    }
    dropped_ = DropEveryCapability();
}

}  // namespace orvane2
