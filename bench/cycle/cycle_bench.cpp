// SPDX-License-Identifier: MIT
// Measures whole check cycles in the real window (on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise) through the real probe: for each cycle, the wall time
// from the tick until the last host is known, and the CPU time the process spent
// meanwhile (every thread); then how many hosts answered in the last cycle.
//
//   cycle_bench CYCLES HOST...     HOST: a dotted address
//
// Uses only Form1, QtFormServices, QtFormView, PingIPv4 and Qt, so that the same source
// builds against an older tree and measures it alike.

#include "bench_window.h"
#include "probe/ping_ipv4.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvane2;

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    QByteArrayList addresses;
    for (int i = 1; i <= hosts; ++i)
        addresses.append(argv[i + 1]);
    BenchWindow window(argv[0], addresses, [] { return std::make_unique<PingIPv4>(); });
    if (!window.Loaded())
        return 2;
    Form1& form = window.form;

    std::vector<double> wall, cpu;
    for (int c = 0; c < cycles; ++c) {
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        form.Timer1_Timer();
        // The window's thread handles events until the last host is known.
        while (form.CycleRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        cpu.push_back(CpuMs() - cpuStart);
    }
    int answered = 0;
    for (int i = 1; i <= hosts; ++i)
        answered += form.State().HostChecks[i].state == HostState::Answered;
    std::printf("hosts %d, cycles %d, answered %d\n", hosts, cycles, answered);
    std::printf("wall median  %10.1f ms\n", Median(wall));
    std::printf("cpu median   %10.1f ms\n", Median(cpu));
    return 0;
}
