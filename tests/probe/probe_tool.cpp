// Runs one PingIPv4 call from the command line and prints its outcome as
// key=value lines; the tests use it where a call needs a process of its own
// (a lookup under `ip netns exec`, which gives the namespace its resolv.conf).
//
//   probe_tool resolve NAME_OR_IP EARLIER_IP   prints result=, ip=
//   probe_tool ping IP [TIMEOUT_MS]            prints result=, reason=, status=, rtt=
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "probe/ping_ipv4.h"

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        orvane2::PingIPv4 probe;
        if (command == "resolve" && argc == 4) {
            std::string ip = argv[3];
            const int result = probe.Resolve(argv[2], ip);
            std::printf("result=%d\nip=%s\n", result, ip.c_str());
            return 0;
        }
        if (command == "ping" && (argc == 3 || argc == 4)) {
            const int timeout = argc == 4 ? std::atoi(argv[3]) : orvane2::PingIPv4::kDefaultTimeoutMS;
            const bool answered = probe.Ping(argv[2], timeout);
            std::printf("result=%d\nreason=%d\nstatus=%d\nrtt=%d\n", answered ? 1 : 0, probe.Reason, probe.Status,
                        probe.RoundTripTime);
            return 0;
        }
        std::fprintf(stderr, "usage: probe_tool resolve NAME_OR_IP EARLIER_IP | probe_tool ping IP [TIMEOUT_MS]\n");
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "probe_tool: %s\n", error.what());
        return 1;
    }
}
