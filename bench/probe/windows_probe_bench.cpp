// SPDX-License-Identifier: MIT
// Timing of the host probe on the Windows platform (run under Wine by
// run_windows_probe_bench.sh), printed as plain text:
//   windows_probe_bench loopback [N]        N (1000) calls of Resolve+Ping on 127.0.0.1:
//                                           median, 99th percentile and maximum
//   windows_probe_bench silent ADDRESS [N]  N (10) Pings of a host that never answers:
//                                           how far past the 1000 ms timeout each returns
//   windows_probe_bench cycle FILE [N]      the window's check cycle over the hosts listed
//                                           in FILE, one a line, 1 + N (3) times (the first
//                                           also loads the network libraries): wall and CPU
//                                           time of each, labels coloured green and red
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/check_cycle.h"
#include "probe/ping_ipv4.h"
#include "win32/win32_form_services.h"

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

class CycleSurface final : public orvane2::BoardSurface {
public:
    void StatusCaptionChanged() override {}
    void HostChecked(int /*index*/) override {}
    void CycleFinished() override { finished = true; }
    bool finished = false;
};

// CPU time of this process so far, user and kernel, in milliseconds.
double CpuMs()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// The core's cycle with the Windows services and probe, as the window runs it: a timer
// tick, then the window's messages until the last host is known.
int Cycle(const std::string& file, int count)
{
    orvane2::FormState state;
    std::ifstream list(file);
    for (std::string host; std::getline(list, host) && state.TotalHosts < orvane2::kMaxHosts;) {
        state.HostNames[static_cast<std::size_t>(++state.TotalHosts)] = host;
        state.board.NewLabel();
    }
    state.Pinger = std::make_unique<orvane2::PingIPv4>();
    orvane2::win32::Win32FormServices services;
    CycleSurface surface;
    orvane2::CheckCycle cycle(state, services, surface);
    std::printf("Check cycle over the %d hosts of %s\n", state.TotalHosts, file.c_str());
    for (int i = 0; i <= count; ++i) {
        surface.finished = false;
        const auto start = Clock::now();
        const double cpu = CpuMs();
        cycle.Timer1_Timer();
        MSG message;
        while (!surface.finished && GetMessageW(&message, nullptr, 0, 0) > 0)
            services.PumpOne(message);
        const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const auto green = std::count_if(state.board.Label1.begin(), state.board.Label1.end(),
                                         [](const auto& label) { return label.foreColor == orvane2::kAliveColor; });
        std::printf("  cycle %d: wall %.0f ms, CPU %.0f ms, %d green, %d red\n", i + 1, wall, CpuMs() - cpu,
                    static_cast<int>(green), state.TotalHosts - static_cast<int>(green));
    }
    return 0;
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
    if (mode == "cycle" && (argc == 3 || argc == 4)) {
        return Cycle(argv[2], argc == 4 ? std::max(0, std::atoi(argv[3])) : 3);
    }
    std::fprintf(stderr, "usage: windows_probe_bench loopback [N] | silent ADDRESS [N] | cycle FILE [N]\n");
    return 2;
}
