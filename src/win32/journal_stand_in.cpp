// SPDX-License-Identifier: MIT
// A plain stand-in for the core's journal (core/journal.cpp), built only while that file
// is missing, so that the Windows program and its tests link: entries for every change
// of state and for a first check without an answer, the bound, and a day per host.
#include "core/check_cycle.h"
#include "core/journal.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace orvane2 {

const std::array<const char*, kJournalColumns> kJournalColumnCaptions{"Время", "Группа",    "Узел",   "Хост",
                                                                      "Адрес", "Состояние", "Длилось"};

namespace {

std::string Words(const HostCheck& check)
{
    switch (check.state) {
        case HostState::Answered:
            return "отвечает, " + std::to_string(check.roundTripMs) + " мс";
        case HostState::NoAnswer:
            return "не отвечает";
        case HostState::Unresolved:
            return "имя не резолвится";
        case HostState::NotPermitted:
            return "нет права отправлять ICMP";
        case HostState::NotChecked:
            break;
    }
    return "ещё не проверялся";
}

std::string TimeText(TimePoint when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const std::tm* local = std::localtime(&seconds);
    char text[32] = {};
    return local != nullptr && std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) > 0 ? text : "";
}

}  // namespace

Journal::Journal(int hostCount) : days_(static_cast<std::size_t>(std::max(hostCount, 0))) {}

bool Journal::Checked(int index, HostState previous, const HostCheck& check, const std::string& group,
                      const std::string& caption, const std::string& host, TimePoint now)
{
    if (index < 1 || index > HostCount())
        return false;
    HostDay& day = days_[static_cast<std::size_t>(index - 1)];
    ++day.checks;
    day.answered += check.state == HostState::Answered;
    const bool first = previous == HostState::NotChecked;
    if (check.state == previous || (first && check.state == HostState::Answered)) {
        if (day.runs.empty())
            day.runs.push_back({now, check.state});
        return false;
    }
    std::optional<std::chrono::seconds> lasted;
    if (!first && !day.runs.empty())
        lasted = std::chrono::duration_cast<std::chrono::seconds>(now - day.runs.back().from);
    day.silences += previous == HostState::Answered;
    day.runs.push_back({now, check.state});
    if (day.runs.size() > kMaxRunsPerHost)
        day.runs.pop_front();
    entries_.push_back({now, group, caption, host, check.address, Words(check), lasted});
    if (entries_.size() > kMaxJournalEntries) {
        entries_.pop_front();
        ++dropped_;
    }
    return true;
}

const HostDay& Journal::Day(int index) const
{
    return days_.at(static_cast<std::size_t>(index - 1));
}

int Journal::HostCount() const
{
    return static_cast<int>(days_.size());
}

std::string JournalCsv(const Journal&)
{
    return {};
}

JournalPage::JournalPage(const Journal& journal, const std::vector<std::string>& hostTitles)
    : journal_(journal), titles_(hostTitles)
{}

std::size_t JournalPage::RowCount() const
{
    return journal_.Entries().size();
}

std::array<std::string, kJournalColumns> JournalPage::Row(std::size_t row) const
{
    const auto& entries = journal_.Entries();
    if (row >= entries.size())
        throw std::out_of_range("journal row");
    const JournalEntry& e = entries[entries.size() - 1 - row];
    return {TimeText(e.time),
            e.group,
            e.caption,
            e.host,
            e.address,
            e.state,
            e.lasted ? std::to_string(e.lasted->count()) + " с" : std::string()};
}

std::string JournalPage::DroppedNote() const
{
    return journal_.Dropped() > 0 ? "Старые записи отброшены: " + std::to_string(journal_.Dropped()) : "";
}

std::vector<DayStrip> JournalPage::Strips(TimePoint now) const
{
    std::vector<DayStrip> strips;
    const auto start = now - kDayLength;
    const auto share = [&](TimePoint t) {
        return std::clamp(std::chrono::duration<double>(t - start) / std::chrono::duration<double>(kDayLength), 0.0,
                          1.0);
    };
    for (int host = 1; host <= journal_.HostCount(); ++host) {
        const HostDay& day = journal_.Day(host);
        DayStrip strip;
        const auto title = static_cast<std::size_t>(host - 1);
        strip.title = title < titles_.size() ? titles_[title] : std::to_string(host);
        const auto percent = day.checks > 0 ? day.answered * 100 / day.checks : 0;
        strip.figures = "отвечал " + std::to_string(percent) + " %, молчал " + std::to_string(day.silences) + " раз";
        strip.stretches.push_back({0, day.runs.empty() ? 1.0 : share(day.runs.front().from), 0xC0C0C0});
        for (std::size_t i = 0; i < day.runs.size(); ++i) {
            const double to = i + 1 < day.runs.size() ? share(day.runs[i + 1].from) : 1.0;
            strip.stretches.push_back(
                {share(day.runs[i].from), to, day.runs[i].state == HostState::Answered ? kAliveColor : kDeadColor});
        }
        strips.push_back(std::move(strip));
    }
    return strips;
}

}  // namespace orvane2
