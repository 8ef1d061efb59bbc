// SPDX-License-Identifier: MIT
// The other end of the probe's namespace tests; run it with `ip netns exec`.
//   icmp_peer serve ACTION...        in NAME-h of test_network.sh: for every echo request
//                                    to 192.0.2.2, perform the actions in order
//   icmp_peer resolve NAME EARLIER   print PingIPv4::Resolve(NAME, IP = EARLIER) as "RESULT IP"
// Actions: `reply`; `error:T:C`, an ICMP error of type T and code C quoting the request;
// `flood:MS`, for MS ms about 20 near misses of the answer a millisecond. `serve` prints
// "ready" once listening and ends when the reader of its output goes away (or after a minute).
#include <arpa/inet.h>
#include <linux/icmp.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "probe/ping_ipv4.h"

namespace {

using Bytes = std::vector<unsigned char>;
const in_addr_t kHost = inet_addr("192.0.2.2"), kOtherHost = inet_addr("192.0.2.3");
int hostSocket = -1;   // raw ICMP from 192.0.2.2; receives the echo requests
int otherSocket = -1;  // raw ICMP from 192.0.2.3

// The RFC 1071 checksum, computed here independently of the probe; 0 over a message
// that carries a correct one.
unsigned Checksum(const Bytes& message)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < message.size(); ++i)
        sum += i % 2 == 0 ? message[i] << 8 : message[i];
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return ~sum & 0xFFFF;
}

// An ICMP message: type, code, two 16-bit words, body; its checksum right unless told.
Bytes Icmp(unsigned type, unsigned code, unsigned word1, unsigned word2, const Bytes& body, bool good = true)
{
    const auto byte = [](unsigned value) { return static_cast<unsigned char>(value & 0xFF); };
    Bytes message = {byte(type), byte(code), 0, 0, byte(word1 >> 8), byte(word1), byte(word2 >> 8), byte(word2)};
    message.insert(message.end(), body.begin(), body.end());
    const unsigned sum = Checksum(message) ^ (good ? 0 : 0x0101);
    message[2] = byte(sum >> 8);
    message[3] = byte(sum);
    return message;
}

struct Request {
    Bytes ipHeader, data;
    unsigned id = 0, sequence = 0;
    sockaddr_in client{};
};

// The request as an ICMP error quotes it (IP header and 8 bytes), moved to another
// sequence number or destination when asked, or cut to `keep` bytes.
Bytes Quote(const Request& r, unsigned delta = 0, in_addr_t destination = kHost, std::size_t keep = 28)
{
    Bytes quote = r.ipHeader;
    std::memcpy(quote.data() + 16, &destination, 4);
    const Bytes header = Icmp(8, 0, r.id, r.sequence + delta, {});
    quote.insert(quote.end(), header.begin(), header.end());
    quote.resize(std::min(keep, quote.size()));
    return quote;
}

void Send(int fd, const Bytes& message, const Request& r)
{
    const auto* to = reinterpret_cast<const sockaddr*>(&r.client);
    if (sendto(fd, message.data(), message.size(), 0, to, sizeof r.client) < 0)
        std::perror("icmp_peer: sendto");
}

// Near miss number i of the answer to r: echo replies with the wrong identifier or
// sequence number, from the wrong source (192.0.2.3) or with a bad checksum, ICMP errors
// quoting another request or too little of this one.
void SendNearMiss(const Request& r, unsigned i)
{
    switch (i % 7) {
        case 0:
            return Send(hostSocket, Icmp(0, 0, r.id + 1, r.sequence, r.data), r);
        case 1:
            return Send(hostSocket, Icmp(0, 0, r.id, r.sequence + 1, r.data), r);
        case 2:
            return Send(otherSocket, Icmp(0, 0, r.id, r.sequence, r.data), r);
        case 3:
            return Send(hostSocket, Icmp(0, 0, r.id, r.sequence, r.data, false), r);
        case 4:
            return Send(hostSocket, Icmp(3, 1, 0, 0, Quote(r, 1)), r);
        case 5:
            return Send(hostSocket, Icmp(3, 1, 0, 0, Quote(r, 0, kOtherHost)), r);
        default:
            return Send(hostSocket, Icmp(11, 0, 0, 0, Quote(r, 0, kHost, 20 + i / 7 % 8)), r);
    }
}

bool ReaderGone()
{
    pollfd out{1, 0, 0};
    return poll(&out, 1, 0) > 0;  // POLLERR: the read end of the pipe was closed
}

void Perform(const std::string& action, const Request& r)
{
    unsigned a = 0, b = 0;
    if (action == "reply") {
        Send(hostSocket, Icmp(0, 0, r.id, r.sequence, r.data), r);
    } else if (std::sscanf(action.c_str(), "error:%u:%u", &a, &b) == 2) {
        Send(hostSocket, Icmp(a, b, 0, 0, Quote(r)), r);
    } else if (std::sscanf(action.c_str(), "flood:%u", &a) == 1) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(a);
        for (unsigned i = 0; std::chrono::steady_clock::now() < end && !ReaderGone(); ++i) {
            SendNearMiss(r, i);
            if (i % 20 == 19)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

int Serve(const std::vector<std::string>& actions)
{
    hostSocket = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    otherSocket = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    const icmp_filter onlyRequests{~(1u << 8)}, nothing{~0u};
    const sockaddr_in other{AF_INET, 0, {kOtherHost}, {}};
    if (setsockopt(hostSocket, SOL_RAW, ICMP_FILTER, &onlyRequests, sizeof onlyRequests) != 0 ||
        setsockopt(otherSocket, SOL_RAW, ICMP_FILTER, &nothing, sizeof nothing) != 0 ||
        bind(otherSocket, reinterpret_cast<const sockaddr*>(&other), sizeof other) != 0) {
        std::perror("icmp_peer: socket");
        return 1;
    }
    alarm(60);
    std::printf("ready\n");
    std::fflush(stdout);
    Bytes packet(65536);
    for (;;) {
        pollfd wait[2] = {{hostSocket, POLLIN, 0}, {1, 0, 0}};
        if (poll(wait, 2, -1) < 0 || wait[1].revents != 0)
            return 0;
        const ssize_t got = recv(hostSocket, packet.data(), packet.size(), 0);
        const long header = (packet[0] & 0x0F) * 4;
        if (got < header + 8 || std::memcmp(packet.data() + 16, &kHost, 4) != 0)
            continue;
        const Bytes icmp(packet.begin() + header, packet.begin() + got);
        if (icmp[0] != 8 || icmp[1] != 0 || Checksum(icmp) != 0)
            continue;  // as a host drops it
        Request r;
        r.ipHeader.assign(packet.begin(), packet.begin() + header);
        r.data.assign(icmp.begin() + 8, icmp.end());
        r.id = static_cast<unsigned>(icmp[4] << 8 | icmp[5]);
        r.sequence = static_cast<unsigned>(icmp[6] << 8 | icmp[7]);
        r.client = {AF_INET, 0, {}, {}};
        std::memcpy(&r.client.sin_addr, packet.data() + 12, 4);
        for (const std::string& action : actions)
            Perform(action, r);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "serve")
        return Serve(std::vector<std::string>(argv + 2, argv + argc));
    if (argc != 4 || std::string(argv[1]) != "resolve")
        return 2;  // usage: see the top of this file
    std::string ip = argv[3];
    std::printf("%d %s\n", orvane2::PingIPv4().Resolve(argv[2], ip), ip.c_str());
}
