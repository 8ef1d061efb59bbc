// SPDX-License-Identifier: MIT
// The journal under the worst load: 255 hosts that all change state at every cycle.
//   - the core alone, CYCLES cycles (10,000): the heap the journal holds, and its cost;
//   - the real window (Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise),
//     filled to its bounds with the journal closed, then WINDOW_CYCLES cycles with it
//     open: how long the window's thread spends bringing it up to date after a cycle
//     (its table as the checks come, then the picture of the hosts' days drawn), against
//     a frame of 16 ms.
//
//   journal_bench [CYCLES [WINDOW_CYCLES]]
//
// No packets are sent: a probe of its own reports every host as answering at one cycle
// and silent at the next.

#include "bench_window.h"
#include "core/journal.h"
#include "qt/journal_window.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvane2;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Every host answers at one batch and is silent at the next, at once.
class FlippingProbe final : public HostProbe {
public:
    int32_t Resolve(const std::string& NameOrIP, std::string& IP) override { return IP = NameOrIP, 0; }
    bool Ping(const std::string&, int32_t, const std::string&) override { return answer_; }
    void StartBatch(std::vector<std::string> names, int32_t, ReportSink report) override
    {
        answer_ = !answer_;
        for (std::size_t host = 0; host < names.size(); ++host) {
            HostReport r;
            r.host = host;
            r.address = names[host];
            r.outcome = answer_ ? PingOutcome::Answered : PingOutcome::NoAnswer;
            r.roundTripMs = answer_ ? 1 : 0;
            report(r);
        }
    }

private:
    bool answer_ = false;
};

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

struct Spread {
    double median, worst;
};

Spread Of(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

}  // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 10000;
    const int windowCycles = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 100;
    constexpr int kHosts = kMaxHosts;

    // The core alone.
    {
        const std::size_t before = HeapInUse();
        const auto started = Clock::now();
        auto journal = std::make_unique<Journal>(kHosts);
        HostCheck check;
        TimePoint now = std::chrono::system_clock::now();
        for (int cycle = 0; cycle < cycles; ++cycle) {
            now += std::chrono::seconds(5);
            for (int host = 1; host <= kHosts; ++host) {
                check.state = cycle % 2 ? HostState::NoAnswer : HostState::Answered;
                check.address = "10.0.0." + std::to_string(host);
                journal->Checked(host, check, "Bench", "host" + std::to_string(host), check.address, now);
            }
        }
        const double took = Ms(Clock::now() - started);
        std::size_t runs = 0;
        for (int host = 1; host <= kHosts; ++host)
            runs += journal->Day(host).runs.size();
        std::printf("core: %d hosts x %d cycles: %zu entries (%zu dropped), %zu runs; heap %.1f MB; %.3f ms a cycle\n",
                    kHosts, cycles, journal->Entries().size(), journal->Dropped(), runs,
                    static_cast<double>(HeapInUse() - before) / 1e6, took / cycles);
    }

    // The real window.
    QByteArrayList hosts;
    for (int i = 1; i <= kHosts; ++i)
        hosts.append("10.0.0." + QByteArray::number(i));
    BenchWindow window(argv[0], hosts, [] { return std::make_unique<FlippingProbe>(); });
    if (!window.Loaded())
        return 1;
    const auto cycle = [&] {
        const auto started = Clock::now();
        window.form.Timer1_Timer();
        while (window.form.CycleRunning())
            QApplication::processEvents();
        return Clock::now() - started;
    };
    const int fill = static_cast<int>(kMaxRunsPerHost) + 2;
    std::vector<double> closed;
    for (int i = 0; i < fill; ++i)
        closed.push_back(Ms(cycle()));
    window.form.journal_Click();
    JournalWindow* journal = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = dynamic_cast<JournalWindow*>(w))
            journal = found;
    if (journal == nullptr)
        return 1;
    QApplication::processEvents();
    // After each cycle: the window brought up to date at once (the table's rows, then the
    // picture), painted; then the picture alone again, as its own timer draws it, so that
    // the table's share is the difference.
    std::vector<double> checks, both, picture, rows;
    for (int i = 0; i < windowCycles; ++i) {
        checks.push_back(Ms(cycle()));
        const auto started = Clock::now();
        journal->BringUpToDate();
        QApplication::processEvents();
        const auto updated = Clock::now();
        journal->RefreshStrips();
        QApplication::processEvents();
        both.push_back(Ms(updated - started));
        picture.push_back(Ms(Clock::now() - updated));
        rows.push_back(both.back() - picture.back());
    }
    const Spread c = Of({closed.end() - windowCycles, closed.end()}), o = Of(checks), b = Of(both), p = Of(picture),
                 r = Of(rows);
    std::printf("window: %zu rows, %d hosts at %zu runs each, %d cycles open\n",
                window.form.JournalOfHosts().Entries().size(), kHosts, window.form.JournalOfHosts().Day(1).runs.size(),
                windowCycles);
    std::printf("  a cycle's checks, journal closed:   median %6.2f ms, worst %6.2f ms\n", c.median, c.worst);
    std::printf("  a cycle's checks, journal open:     median %6.2f ms, worst %6.2f ms\n", o.median, o.worst);
    std::printf("  the table's 255 new rows, painted:  median %6.2f ms, worst %6.2f ms\n", r.median, r.worst);
    std::printf("  the picture of the days, painted:   median %6.2f ms, worst %6.2f ms\n", p.median, p.worst);
    std::printf("  both at once:                       median %6.2f ms, worst %6.2f ms (a frame: 16 ms)\n", b.median,
                b.worst);
    return 0;
}
