// SPDX-License-Identifier: MIT
#include "core/tray_report.h"

#include "core/form_view.h"

namespace orvane2 {

namespace {

constexpr int kSilentCyclesToTell = 2;

// "узел", "узла" or "узлов", as Russian counts them.
std::string HostsWord(int count)
{
    const int lastTwo = count % 100, last = count % 10;
    if (last == 1 && lastTwo != 11)
        return "узел";
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return "узла";
    return "узлов";
}

std::string NewsLine(const WatchedHost& host, bool answers)
{
    std::string line = host.caption == host.name ? host.name : host.caption + " (" + host.name + ")";
    return line.append(answers ? " отвечает" : " не отвечает");
}

}  // namespace

TrayReport::TrayReport() : look_{TrayMark::None, kTrayToolTip} {}

std::optional<HostNotice> TrayReport::CycleFinished(const std::vector<WatchedHost>& hosts)
{
    memory_.resize(hosts.size());
    std::vector<std::string> lines;
    bool someSilent = false;
    int silent = 0;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        const HostState state = hosts[i].state;
        if (state == HostState::NotChecked)
            continue;
        Memory& memory = memory_[i];
        const bool answers = state == HostState::Answered;
        memory.silentCycles = answers ? 0 : memory.silentCycles + 1;
        silent += answers ? 0 : 1;
        if (memory.told == Told::Nothing) {
            memory.told = answers ? Told::Answering : Told::Silent;  // the first check is no news
            continue;
        }
        const Told now = answers                                      ? Told::Answering
                         : memory.silentCycles >= kSilentCyclesToTell ? Told::Silent
                                                                      : memory.told;
        if (now == memory.told)
            continue;
        memory.told = now;
        lines.push_back(NewsLine(hosts[i], answers));
        someSilent = someSilent || !answers;
    }

    if (!hosts.empty()) {
        const std::string total = std::to_string(hosts.size());
        look_.mark = silent > 0 ? TrayMark::SomeSilent : TrayMark::AllAnswer;
        look_.toolTip =
            std::string(kTrayToolTip) + "\n" +
            (silent > 0 ? "Не отвечают: " + std::to_string(silent) + " из " + total : "Все " + total + " отвечают");
    }
    if (lines.empty())
        return std::nullopt;

    if (lines.size() > static_cast<std::size_t>(kNoticeLines)) {
        const int more = static_cast<int>(lines.size()) - (kNoticeLines - 1);
        lines.resize(kNoticeLines - 1);
        lines.push_back("и ещё " + std::to_string(more) + " " + HostsWord(more));
    }
    HostNotice notice{kWindowCaption, {}, someSilent};
    for (const std::string& line : lines)
        notice.text.append(notice.text.empty() ? "" : "\n").append(line);
    return notice;
}

}  // namespace orvane2
