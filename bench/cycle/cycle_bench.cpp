// Measures what one check cycle costs beyond its probes: the cycle over N hosts on
// 127.0.0.0/8 through the real probe, timed as a whole, next to the time spent inside
// Resolve and Ping themselves.
//
//   cycle_bench [hosts=100] [cycles=20]

#include "core/check_cycle.h"
#include "probe/ping_ipv4.h"
#include "window/form_services.h"

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
    Clock::duration inside{};
    int answered = 0;
    int silent = 0;

private:
    PingIPv4 probe_;
};

// No display: the event pump and message boxes do nothing.
class QuietServices final : public FormServices {
public:
    void MsgBox(const QString& prompt, int, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", prompt.toUtf8().constData());
    }
    void DoEvents() override {}
    bool FileExists(const QString&) override { return false; }
    bool Kill(const QString&) override { return true; }
    std::optional<QByteArray> ReadAll(const QString&) override { return std::nullopt; }
    bool AppendLines(const QString&, const QStringList&) override { return false; }
    bool Launch(const QString&, const QStringList&) override { return false; }
    [[noreturn]] void End(int code) override { std::exit(code); }
};

class NullSurface final : public BoardSurface {
    void StatusCaptionChanged() override {}
    void LabelColorChanged(int) override {}
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

    FormState state;
    for (int i = 1; i <= hosts; ++i) {
        state.HostNames[i] = QStringLiteral("127.0.0.%1").arg(i);
        state.board.NewLabel();
    }
    state.HostCount = state.TotalHosts = static_cast<int16_t>(hosts);
    auto probe = std::make_unique<TimedProbe>();
    TimedProbe& timed = *probe;
    state.Pinger = std::move(probe);
    QuietServices services;
    NullSurface surface;
    CheckCycle cycle(state, services, surface);

    cycle.Timer1_Timer();  // warm-up
    timed.inside = {};
    std::vector<double> overheadPerHost;
    double totalCycle = 0, totalProbe = 0;
    for (int c = 0; c < cycles; ++c) {
        const auto before = timed.inside;
        const auto start = Clock::now();
        cycle.Timer1_Timer();
        const double cycleMs = Ms(Clock::now() - start);
        const double probeMs = Ms(timed.inside - before);
        totalCycle += cycleMs;
        totalProbe += probeMs;
        overheadPerHost.push_back((cycleMs - probeMs) * 1000.0 / hosts);
    }
    std::sort(overheadPerHost.begin(), overheadPerHost.end());
    std::printf("hosts %d, cycles %d, answered %d, silent %d\n", hosts, cycles, timed.answered, timed.silent);
    std::printf("cycle time (mean)          %10.3f ms\n", totalCycle / cycles);
    std::printf("sum of probe times (mean)  %10.3f ms\n", totalProbe / cycles);
    std::printf("overhead per host (median) %10.3f us\n", overheadPerHost[overheadPerHost.size() / 2]);
    std::printf("overhead per host (max)    %10.3f us\n", overheadPerHost.back());
    return timed.silent == 0 ? 0 : 1;
}
