// SPDX-License-Identifier: MIT
#include "core/check_cycle.h"

#include <vector>

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
    try {
        services_.DoEvents();
        CheckAll();
    } catch (...) {
        running_ = false;
        throw;
    }
}

void CheckCycle::CheckAll()
{
    SetStatus(RecheckingStatus());
    services_.DoEvents();
    const int16_t total = state_.TotalHosts;
    if (total <= 0) {
        SetStatus(std::string());
        running_ = false;
        surface_.CycleFinished();
        return;
    }
    unknown_ = total;
    std::vector<std::string> names(state_.HostNames.begin() + 1, state_.HostNames.begin() + 1 + total);
    try {
        state_.Pinger->StartBatch(std::move(names), kPingTimeoutMs,
                                  [cycle = std::weak_ptr(self_), &services = services_](const HostReport& report) {
                                      services.PostToWindow([cycle, report] {
                                          if (const auto alive = cycle.lock())
                                              (*alive)->CheckHost(report);
                                      });
                                  });
    } catch (const std::exception& error) {
        // The batch could not start (no thread for it, say): every host of the cycle is
        // a check that failed, the cycle ends, and the next tick tries again.
        for (int16_t host = 0; host < total; ++host) {
            HostReport failed;
            failed.host = static_cast<std::size_t>(host);
            failed.outcome = PingOutcome::CheckFailed;
            failed.failure = error.what();
            CheckHost(failed);
        }
    }
}

void CheckCycle::CheckHost(const HostReport& report)
{
    const int index = static_cast<int>(report.host) + 1;
    if (!running_ || index < 1 || index > state_.TotalHosts)
        return;
    HostCheck& check = state_.HostChecks[index];
    HostLabel& label = state_.board.Label1[index];
    if (report.outcome == PingOutcome::CheckFailed) {
        RecordFailedCheck(check, report.failure, services_.Now());
        label.foreColor = kDeadColor;
    } else if (report.resolveResult != 0) {
        RecordCheck(check, HostState::Unresolved, {}, 0, services_.Now());
        label.foreColor = kDeadColor;
        // Said once per cycle, in a box that holds up nothing.
        services_.ShowNotice(DnsMessage(state_.HostNames[index]));
    } else {
        const HostState found = report.outcome == PingOutcome::Answered       ? HostState::Answered
                                : report.outcome == PingOutcome::NotPermitted ? HostState::NotPermitted
                                                                              : HostState::NoAnswer;
        RecordCheck(check, found, report.address, report.roundTripMs, services_.Now());
        label.foreColor = found == HostState::Answered ? kAliveColor : kDeadColor;
        if (found == HostState::NotPermitted)
            ReportIcmpRefused();
    }
    surface_.HostChecked(index);
    if (--unknown_ == 0) {
        SetStatus(std::string());
        running_ = false;
        surface_.CycleFinished();
    }
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
