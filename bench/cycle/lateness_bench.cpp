// SPDX-License-Identifier: MIT
// Measures how late the window's thread is while a check cycle runs over hosts that
// answer no echo: the real window and services (on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise) check the given hosts through the real probe while a
// 10 ms timer repeats on the window's thread. A deadline's lateness is the time from when
// it fell due to when the window's thread next ran the timer, so that every deadline in
// a stretch the window was frozen counts, however many the timer coalesced. The cycle's
// end is seen at the first tick after it.
//
//   lateness_bench CYCLES HOST...     HOST: a dotted address that answers no echo
//
// Uses only Form1, QtFormServices, QtFormView, PingIPv4 and Qt, so that the same source
// builds against an older tree and measures it alike.

#include "bench_window.h"
#include "core/check_cycle.h"
#include "probe/ping_ipv4.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvane2;
constexpr auto kTick = std::chrono::milliseconds(10);

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Nearest rank: the smallest value that at least the fraction p of the values do not exceed.
double Percentile(const std::vector<double>& sorted, double p)
{
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CYCLES HOST...\n", argv[0]);
        return 2;
    }
    const int cycles = std::max(std::atoi(argv[1]), 1);
    const int hosts = std::min(argc - 2, kMaxHosts);

    QByteArrayList silent;
    for (int i = 1; i <= hosts; ++i)
        silent.append(argv[i + 1]);
    BenchWindow window(argv[0], silent, [] { return std::make_unique<PingIPv4>(); });
    if (!window.Loaded())
        return 2;
    Form1& form = window.form;

    std::vector<double> lateness;  // ms, every deadline of every cycle
    std::vector<double> cycleMs;
    Clock::time_point start, due, end;
    bool over = false;
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTick);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (!over && !form.CycleRunning()) {  // the last host became known since the last tick
            end = now;
            over = true;
            cycleMs.push_back(Ms(end - start));
        }
        for (; due <= now && !(over && due > end); due += kTick)
            lateness.push_back(Ms(now - due));
        if (over && due > end) {  // every deadline up to the cycle's end is served
            ticker.stop();
            loop.quit();
        }
    });
    for (int c = 0; c < cycles; ++c) {
        over = false;
        QTimer::singleShot(0, [&] {
            start = Clock::now();
            due = start + kTick;  // the timer's own deadlines come no earlier than these
            ticker.start();
            form.Timer1_Timer();  // returns at once, or only once the cycle is over
        });
        loop.exec();
    }

    std::sort(lateness.begin(), lateness.end());
    std::sort(cycleMs.begin(), cycleMs.end());
    std::printf("hosts %d, cycles %d, deadlines %zu\n", hosts, cycles, lateness.size());
    std::printf("lateness median  %10.3f ms\n", Percentile(lateness, 0.5));
    std::printf("lateness p99     %10.3f ms\n", Percentile(lateness, 0.99));
    std::printf("lateness max     %10.3f ms\n", lateness.back());
    std::printf("cycle median     %10.3f ms\n", Percentile(cycleMs, 0.5));
    // A host that answered or an echo that was refused ends before its timeout: the
    // figures would not be those of silent hosts.
    if (cycleMs.front() < kPingTimeoutMs) {
        std::fprintf(stderr, "a cycle took %.1f ms: not every host was silent\n", cycleMs.front());
        return 1;
    }
    return 0;
}
