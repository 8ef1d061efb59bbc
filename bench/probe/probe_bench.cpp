// SPDX-License-Identifier: MIT
// Timing of the host probe, printed as plain text.
//
//   probe_bench loopback [N]        N (10000) calls of Resolve+Ping on 127.0.0.1, and
//                                   as many runs of `ping -c 1 -W 1 127.0.0.1` and
//                                   `fping 127.0.0.1`: median, 99th percentile, ratios
//   probe_bench silent ADDRESS [N]  N (20) Pings of a host that never answers: how far
//                                   past the 1000 ms timeout each call returns
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "probe/ping_ipv4.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

struct Summary {
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Summary Summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    Summary s;
    s.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    s.p99 = samples[static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n))) - 1];
    s.max = samples.back();
    return s;
}

// Runs argv with all output discarded; returns its exit status (or -1).
int RunQuietly(const std::vector<const char*>& argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const char* arg : argv) {
        args.push_back(const_cast<char*>(arg));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Measured {
    Summary time;
    int failures = 0;
};

template <typename Call>
Measured Measure(int count, Call call)
{
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(count));
    Measured measured;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool ok = call();
        samples.push_back(Micros(Clock::now() - start).count());
        measured.failures += ok ? 0 : 1;
    }
    measured.time = Summarise(std::move(samples));
    return measured;
}

void PrintRow(const char* name, const Measured& m, const Measured& probe)
{
    std::printf("%-34s %12.1f %12.1f %10.1fx %10.1fx %9d\n", name, m.time.median, m.time.p99,
                m.time.median / probe.time.median, m.time.p99 / probe.time.p99, m.failures);
}

int Loopback(int count)
{
    orvane2::PingIPv4 probe;
    std::string ip;
    // One call first so that lazily loaded parts of the C library are not timed.
    probe.Resolve("127.0.0.1", ip);
    probe.Ping(ip);

    const Measured ours = Measure(count, [&] { return probe.Resolve("127.0.0.1", ip) == 0 && probe.Ping(ip); });
    const Measured ping = Measure(count, [] { return RunQuietly({"ping", "-c", "1", "-W", "1", "127.0.0.1"}) == 0; });
    const Measured fping = Measure(count, [] { return RunQuietly({"fping", "127.0.0.1"}) == 0; });

    std::printf("Loopback 127.0.0.1, %d calls each (times in microseconds; ratio = other / probe)\n", count);
    std::printf("%-34s %12s %12s %11s %11s %9s\n", "", "median", "p99", "median x", "p99 x", "failures");
    PrintRow("PingIPv4 Resolve+Ping", ours, ours);
    PrintRow("ping -c 1 -W 1 127.0.0.1", ping, ours);
    PrintRow("fping 127.0.0.1", fping, ours);
    return ours.failures == 0 ? 0 : 1;
}

int Silent(const std::string& address, int count)
{
    orvane2::PingIPv4 probe;
    std::vector<double> overshoot;
    int unexpected = 0;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool answered = probe.Ping(address, 1000, "");
        const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        overshoot.push_back(elapsedMs - 1000.0);
        if (answered || probe.Reason != 3 || probe.Status != 11010) {
            ++unexpected;
        }
    }
    const Summary s = Summarise(overshoot);
    std::printf("Silent host %s, %d Pings with TimeoutMS 1000: return after the timeout by\n", address.c_str(), count);
    std::printf("  median %.3f ms, max %.3f ms (min %.3f ms)\n", s.median, s.max,
                *std::min_element(overshoot.begin(), overshoot.end()));
    if (unexpected != 0) {
        std::printf("  %d calls did not end in a timeout (Reason 3, Status 11010)\n", unexpected);
    }
    return unexpected == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "loopback" && argc <= 3) {
            return Loopback(argc == 3 ? std::atoi(argv[2]) : 10000);
        }
        if (mode == "silent" && (argc == 3 || argc == 4)) {
            return Silent(argv[2], argc == 4 ? std::atoi(argv[3]) : 20);
        }
        std::fprintf(stderr, "usage: probe_bench loopback [N] | probe_bench silent ADDRESS [N]\n");
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "probe_bench: %s\n", error.what());
        return 1;
    }
}
