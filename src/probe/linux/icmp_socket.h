// SPDX-License-Identifier: MIT
#pragma once

#include "probe/linux/unique_fd.h"

namespace orvane2 {

// The two kinds of socket that can carry an echo request on Linux.
enum class IcmpSocketKind {
    kPing,  // SOCK_DGRAM/IPPROTO_ICMP: the kernel owns the identifier, no IP header
    kRaw,   // SOCK_RAW/IPPROTO_ICMP: sees every ICMP packet, with IP header
};

struct IcmpSocket {
    UniqueFd fd;  // empty when none could be had, and then error says why
    IcmpSocketKind kind = IcmpSocketKind::kPing;
    int error = 0;  // an errno value
};

// The one place where the probe opens an ICMP socket. A ping socket where the kernel
// admits this process's group (net.ipv4.ping_group_range), with IP_RECVERR so that ICMP
// errors about its requests come through; else, when CAP_NET_RAW is in the permitted set,
// a raw socket, the capability made effective to open it, filtered to the types that can
// answer a request. Either has room for the answers of a whole board. Once every
// capability is dropped only a ping socket can be had, and where the kernel refuses one
// the error is EPERM, the raw socket's refusal.
IcmpSocket OpenIcmpSocket();

// The program's one use of a capability, made before anything else runs: it opens the
// ICMP socket (OpenIcmpSocket) and keeps it when it is the raw one, which the probes
// then share for the whole run; a ping socket is closed again, as every batch opens one
// of its own. Then, in every case, it drops every capability (DropEveryCapability).
// Construct it first thing in main(), before anything reads the environment or loads a
// library by name (Qt loads plugins named by the user's environment).
class EchoPrivilege {
public:
    EchoPrivilege();

    // The shared raw ICMP socket, or -1 where ping sockets serve or none may be had.
    int RawSocket() const { return raw_.get(); }
    // False when a capability is still held: the program must not go on.
    bool Dropped() const { return dropped_; }

private:
    UniqueFd raw_;
    bool dropped_ = false;
};

}  // namespace orvane2
