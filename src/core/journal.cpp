// SPDX-License-Identifier: MIT
#include "core/journal.h"

#include <algorithm>

namespace orvane2 {

const std::array<const char*, kJournalColumns> kJournalColumnCaptions{
    "Время", "Группа", "Узел", "Хост", "Адрес", "Состояние", "Длилось",
};

Journal::Journal(int hostCount) : days_(static_cast<std::size_t>(std::max(hostCount, 0))), silentSince_(days_.size()) {}

int Journal::HostCount() const
{
    return static_cast<int>(days_.size());
}

const HostDay& Journal::Day(int index) const
{
    return days_.at(static_cast<std::size_t>(index - 1));
}

bool Journal::Checked(int index, const HostCheck& check, const std::string& group, const std::string& caption,
                      const std::string& host, TimePoint now)
{
    if (index < 1 || index > HostCount())
        return false;
    HostDay& day = days_[static_cast<std::size_t>(index - 1)];
    // The last run is the state the host was last in: runs are trimmed from the front only.
    const HostState previous = day.runs.empty() ? HostState::NotChecked : day.runs.back().state;
    std::optional<TimePoint>& silentSince = silentSince_[static_cast<std::size_t>(index - 1)];
    const bool answered = check.state == HostState::Answered;
    ++day.checks;
    if (answered)
        ++day.answered;
    else if (previous == HostState::Answered)
        ++day.silences;
    // A silence lasts from the first check without an answer to the next answer, or on.
    if (!answered && !silentSince)
        silentSince = now;
    if (silentSince)
        day.longestSilence =
            std::max(day.longestSilence, std::chrono::duration_cast<std::chrono::seconds>(now - *silentSince));
    if (answered)
        silentSince.reset();

    // Runs that ended more than a day ago go; the one in force a day ago stays.
    while (day.runs.size() >= 2 && day.runs[1].from <= now - kDayLength)
        day.runs.pop_front();
    // Only the state counts: a new round-trip time is no change.
    const bool first = day.runs.empty();
    if (!first && check.state == previous)
        return false;
    std::optional<std::chrono::seconds> lasted;
    if (!first)
        lasted = std::chrono::duration_cast<std::chrono::seconds>(now - day.runs.back().from);
    day.runs.push_back({now, check.state});
    if (day.runs.size() > kMaxRunsPerHost)
        day.runs.pop_front();
    if (first && answered)
        return false;  // a host that answers from the start has nothing to tell yet

    entries_.push_back({now, group, caption, host, check.address, StateWords(check), lasted});
    if (entries_.size() > kMaxJournalEntries) {
        entries_.pop_front();
        ++dropped_;
    }
    return true;
}

}  // namespace orvane2
