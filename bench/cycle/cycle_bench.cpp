// SPDX-License-Identifier: MIT
// Measures what one check cycle costs beyond its probes: the real window (on Qt's
// offscreen platform unless QT_QPA_PLATFORM says otherwise) checks N hosts on
// 127.0.0.0/8 through the real probe; the cycle is timed as a whole, next to the time
// spent inside Resolve and Ping themselves.
//
//   cycle_bench [hosts=100] [cycles=20]

#include "bench_window.h"
#include "probe/ping_ipv4.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvane2;

// Forwards to the real probe and adds up the time spent inside it.
class TimedProbe final : public HostProbe {
public:
    int32_t Resolve(const std::string& NameOrIP, std::string& IP) override
    {
        const auto start = Clock::now();
        const int32_t result = probe_.Resolve(NameOrIP, IP);
        inside += Clock::now() - start;
        return result;
    }
    bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) override
    {
        const auto start = Clock::now();
        const bool alive = probe_.Ping(IP, TimeoutMS, Data);
        inside += Clock::now() - start;
        alive ? ++answered : ++silent;
        return alive;
    }
    void StartBatch(std::vector<std::string> names, int32_t TimeoutMS, ReportSink report) override
    {
        probe_.StartBatch(std::move(names), TimeoutMS, std::move(report));
    }
    Clock::duration inside{};
    int answered = 0;
    int silent = 0;

private:
    PingIPv4 probe_;
};

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int hosts = std::clamp(argc > 1 ? std::atoi(argv[1]) : 100, 1, kMaxHosts);
    const int cycles = std::max(argc > 2 ? std::atoi(argv[2]) : 20, 1);

    QByteArrayList loopback;
    for (int i = 1; i <= hosts; ++i)
        loopback.append(QStringLiteral("127.0.%1.%2").arg(i / 250).arg(i % 250 + 1).toUtf8());
    TimedProbe* timed = nullptr;
    BenchWindow window(argv[0], loopback, [&timed] {
        auto probe = std::make_unique<TimedProbe>();
        timed = probe.get();
        return probe;
    });
    if (!window.Loaded())
        return 2;
    Form1& form = window.form;

    form.Timer1_Timer();  // warm-up
    std::vector<double> overheadPerHost;
    double totalCycle = 0, totalProbe = 0;
    for (int c = 0; c < cycles; ++c) {
        const auto before = timed->inside;
        const auto start = Clock::now();
        form.Timer1_Timer();
        const double cycleMs = Ms(Clock::now() - start);
        const double probeMs = Ms(timed->inside - before);
        totalCycle += cycleMs;
        totalProbe += probeMs;
        overheadPerHost.push_back((cycleMs - probeMs) * 1000.0 / hosts);
    }
    std::sort(overheadPerHost.begin(), overheadPerHost.end());
    std::printf("hosts %d, cycles %d, answered %d, silent %d\n", hosts, cycles, timed->answered, timed->silent);
    std::printf("cycle time (mean)          %10.3f ms\n", totalCycle / cycles);
    std::printf("sum of probe times (mean)  %10.3f ms\n", totalProbe / cycles);
    std::printf("overhead per host (median) %10.3f us\n", overheadPerHost[overheadPerHost.size() / 2]);
    std::printf("overhead per host (max)    %10.3f us\n", overheadPerHost.back());
    return timed->silent == 0 ? 0 : 1;
}
