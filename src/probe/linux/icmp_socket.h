// SPDX-License-Identifier: MIT
#pragma once

#include "probe/linux/unique_fd.h"

namespace orvane2 {

// Opens a raw ICMP socket, filtered to the types that can answer an echo request, with
// room for the answers of a whole board (SetReceiveBuffer). Needs CAP_NET_RAW in the
// effective set; -1 with errno set otherwise.
int OpenRawIcmpSocket();

// Gives an ICMP socket a receive buffer that holds the answers of 255 hosts arriving at
// once, as far as net.core.rmem_max allows.
void SetReceiveBuffer(int fd);

// The program's one use of a capability, made before anything else runs. Where the
// kernel refuses this process a ping socket and CAP_NET_RAW is in its permitted set
// (a file capability, or root), it makes the capability effective just long enough
// to open the raw ICMP socket that the probes share for the whole run. Then, in
// every case, it drops every capability from the permitted, effective and
// inheritable sets for good. The bounding set stays, so that the program started
// again after a configuration switch gets its file's capability again.
// Construct it first thing in main(), before anything reads the environment or
// loads a library by name (Qt loads plugins named by the user's environment).
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
