// SPDX-License-Identifier: MIT
// Timing of the host probe on the Windows platform (run under Wine by
// run_windows_probe_bench.sh), printed as plain text:
//   windows_probe_bench loopback [N]        N (1000) calls of Resolve+Ping on 127.0.0.1:
//                                           median, 99th percentile and maximum
//   windows_probe_bench silent ADDRESS [N]  N (10) Pings of a host that never answers:
//                                           how far past the 1000 ms timeout each returns
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "probe/ping_ipv4.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median, 99th percentile and maximum of the samples, in the samples' unit.
void PrintSummary(const char* label, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const double p99 = samples[static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n))) - 1];
    std::printf("%s: median %.1f, p99 %.1f, min %.1f, max %.1f\n", label, median, p99, samples.front(), samples.back());
}

int Loopback(int count)
{
    orvane2::PingIPv4 probe;
    std::string ip;
    probe.Resolve("127.0.0.1", ip);  // first call not timed: loads the network DLLs
    probe.Ping(ip);
    std::vector<double> micros;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool ok = probe.Resolve("127.0.0.1", ip) == 0 && probe.Ping(ip);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        failures += ok ? 0 : 1;
    }
    std::printf("Loopback 127.0.0.1, %d calls of Resolve+Ping, %d failed\n", count, failures);
    PrintSummary("  microseconds per call", micros);
    return failures == 0 ? 0 : 1;
}

int Silent(const std::string& address, int count)
{
    orvane2::PingIPv4 probe;
    probe.Ping(address, 100);  // warm-up, not counted
    std::vector<double> overshoot;
    int unexpected = 0;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool answered = probe.Ping(address, 1000);
        overshoot.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() - 1000.0);
        unexpected += answered || probe.Reason != 3 || probe.Status != 11010 ? 1 : 0;
    }
    std::printf("Silent host %s, %d Pings with TimeoutMS 1000, %d not a timeout (Reason 3, Status 11010)\n",
                address.c_str(), count, unexpected);
    PrintSummary("  milliseconds returned after the timeout", overshoot);
    return unexpected == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "loopback" && argc <= 3) {
        return Loopback(argc == 3 ? std::max(1, std::atoi(argv[2])) : 1000);
    }
    if (mode == "silent" && (argc == 3 || argc == 4)) {
        return Silent(argv[2], argc == 4 ? std::max(1, std::atoi(argv[3])) : 10);
    }
    std::fprintf(stderr, "usage: windows_probe_bench loopback [N] | windows_probe_bench silent ADDRESS [N]\n");
    return 2;
}
