// SPDX-License-Identifier: MIT
#include "core/check_cycle.h"

#include "probe/ping_ipv4.h"

#include <cerrno>

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
        "или дайте программе право cap_net_raw: sudo setcap cap_net_raw+ep $(command -v orvane2)");
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
        const bool resolved = CheckHost(i);
        state_.board.Label1[i].foreColor = resolved && state_.HostAlive ? kAliveColor : kDeadColor;
        surface_.LabelColorChanged(i);
    }
    SetStatus(std::string());
}

bool CheckCycle::CheckHost(int index)
{
    std::string ip = state_.ResolvedIP;
    const int32_t result = state_.Pinger->Resolve(state_.CurrentHost, ip);
    if (result != 0) {
        services_.MsgBox(DnsMessage(state_.HostNames[index]));
        return false;
    }
    state_.ResolvedIP = ip;
    state_.CurrentHost = state_.ResolvedIP;
    state_.HostAlive = state_.Pinger->Ping(ip, kPingTimeoutMs, std::string());
    if (!state_.HostAlive)
        ReportIfIcmpRefused();
    return true;
}

void CheckCycle::ReportIfIcmpRefused()
{
    const HostProbe& probe = *state_.Pinger;
    const bool refused =
        probe.Reason == PingIPv4::kReasonOpenFailed && (probe.Status == EPERM || probe.Status == EACCES);
    if (!refused || icmpRefusalReported_)
        return;
    icmpRefusalReported_ = true;
    services_.MsgBox(IcmpNotPermittedMessage());
}

void CheckCycle::SetStatus(const std::string& caption)
{
    state_.board.StatusString.caption = caption;
    surface_.StatusCaptionChanged();
}

}  // namespace orvane2
