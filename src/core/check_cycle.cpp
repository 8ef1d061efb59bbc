// SPDX-License-Identifier: MIT
#include "core/check_cycle.h"

namespace orvane2 {

std::string RecheckingStatus()
{
    return "Перепроверяем...";
}

std::string DnsMessage(const std::string& hostName)
{
    return "Что-то не так. Проверьте свой DNS. " + hostName + " не резолвится";
}

std::string IcmpNotPermittedMessage()
{
    return std::string(
        "Программе не разрешено отправлять ICMP-запросы (ping), поэтому все узлы "
        "показаны красными. Разрешите ping-сокеты командой "
        "sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\" "
        "или дайте программе право cap_net_raw: sudo setcap cap_net_raw+p $(command -v orvane2)");
}

CheckCycle::CheckCycle(FormState& state, FormServices& services, BoardSurface& surface)
    : state_(state), services_(services), surface_(surface)
{}

void CheckCycle::Timer1_Timer()
{
    if (running_)
        return;
    running_ = true;
    struct Finished {
        bool& flag;
        ~Finished() { flag = false; }
    } finished{running_};
    services_.DoEvents();
    CheckAll();
}

void CheckCycle::CheckAll()
{
    SetStatus(RecheckingStatus());
    services_.DoEvents();
    const int16_t total = state_.TotalHosts;
    for (int16_t i = 1; i <= total; ++i) {
        state_.HostCount = i;
        state_.CurrentHost = state_.HostNames[i];
        CheckHost(i);
        const bool resolved = state_.HostChecks[i].state != HostState::Unresolved;
        state_.board.Label1[i].foreColor = resolved && state_.HostAlive ? kAliveColor : kDeadColor;
        surface_.HostChecked(i);
    }
    SetStatus(std::string());
    surface_.CycleFinished();
}

void CheckCycle::CheckHost(int index)
{
    HostProbe& probe = *state_.Pinger;
    const std::string name = state_.CurrentHost;
    std::string ip = state_.ResolvedIP;
    int32_t result = 0;
    bool alive = false;
    // Only the probe leaves the window's thread, and the window's state is left alone
    // until it is back: meanwhile a click, the menu or a tick may run.
    services_.AwaitOffThread([&] {
        result = probe.Resolve(name, ip);
        if (result == 0)
            alive = probe.Ping(ip, kPingTimeoutMs, std::string());
    });
    HostCheck& check = state_.HostChecks[index];
    if (result != 0) {
        RecordCheck(check, HostState::Unresolved, {}, 0, services_.Now());
        // Said once per cycle, without holding up the cycle: the hosts after it are checked.
        services_.ShowNotice(DnsMessage(state_.HostNames[index]));
        return;
    }
    state_.ResolvedIP = ip;
    state_.CurrentHost = state_.ResolvedIP;
    state_.HostAlive = alive;
    const PingOutcome outcome = probe.LastOutcome();
    const HostState found = alive                                  ? HostState::Answered
                            : outcome == PingOutcome::NotPermitted ? HostState::NotPermitted
                                                                   : HostState::NoAnswer;
    RecordCheck(check, found, ip, probe.RoundTripTime, services_.Now());
    if (found == HostState::NotPermitted)
        ReportIcmpRefused();
}

void CheckCycle::ReportIcmpRefused()
{
    if (icmpRefusalReported_)
        return;
    icmpRefusalReported_ = true;
    services_.ShowNotice(IcmpNotPermittedMessage());
}

void CheckCycle::SetStatus(const std::string& caption)
{
    state_.board.StatusString.caption = caption;
    surface_.StatusCaptionChanged();
}

}  // namespace orvane2
