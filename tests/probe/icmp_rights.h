#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <optional>
#include <string>

#include "probe/unique_fd.h"

namespace orvane2::test {

// Why this process can send no ICMP echo at all (neither a ping socket nor a raw
// socket), or nullopt when it can. Checked with plain socket calls, independently
// of the probe.
inline std::optional<std::string> WhyNoIcmp() {
    if (UniqueFd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP)) ||
        UniqueFd(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP))) {
        return std::nullopt;
    }
    return "this user may open neither an ICMP ping socket (net.ipv4.ping_group_range) nor a raw socket "
           "(CAP_NET_RAW)";
}

}  // namespace orvane2::test
