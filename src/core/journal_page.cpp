// SPDX-License-Identifier: MIT
// What the journal shows: its file, its rows and the picture of each host's day.
#include "core/check_cycle.h"
#include "core/journal.h"

#include <algorithm>
#include <numeric>

namespace orvane2 {

namespace {

constexpr std::uint32_t kNotCheckedColor = 0xC0C0C0;  // grey: no check has reached the host yet
constexpr const char* kTimePattern = "%Y-%m-%d %H:%M:%S";

// RFC 4180: a field holding the separator, a quote or a line break goes in quotes, its
// quotes doubled.
void AppendField(std::string& line, const std::string& field)
{
    if (field.find_first_of(";\"\r\n") == std::string::npos) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// "3 ч 2 мин 5 с", the larger units only when there are any.
std::string Lasting(std::chrono::seconds length)
{
    const long long total = length.count();
    const long long hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
    std::string text;
    if (hours > 0)
        text += std::to_string(hours) + " ч ";
    if (hours > 0 || minutes > 0)
        text += std::to_string(minutes) + " мин ";
    return text + std::to_string(seconds) + " с";
}

std::uint32_t Colour(HostState state)
{
    if (state == HostState::NotChecked)
        return kNotCheckedColor;
    return state == HostState::Answered ? kAliveColor : kDeadColor;
}

// The share of checks answered, in per mille; a host never checked counts as answering
// (it has nothing to show yet), so that it comes last.
long long Share(const HostDay& day)
{
    return day.checks == 0 ? 1000 : static_cast<long long>(day.answered * 1000 / day.checks);
}

std::string Figures(const HostDay& day)
{
    if (day.checks == 0)
        return "ещё не проверялся";
    return "отвечал: " + std::to_string(day.answered * 100 / day.checks) +
           " % проверок, замолкал: " + std::to_string(day.silences) +
           " раз, дольше всего молчал: " + Lasting(day.longestSilence);
}

}  // namespace

std::string JournalCsv(const Journal& journal)
{
    std::string text = "\xEF\xBB\xBF";
    for (std::size_t column = 0; column < kJournalColumns; ++column)
        text.append(column == 0 ? "" : ";").append(kJournalColumnCaptions[column]);
    text += ", с\r\n";
    for (const JournalEntry& entry : journal.Entries()) {
        const std::string lasted = entry.lasted ? std::to_string(entry.lasted->count()) : std::string();
        const std::string* fields[] = {&entry.group,   &entry.caption, &entry.host,
                                       &entry.address, &entry.state,   &lasted};
        text += LocalTimeText(entry.time, kTimePattern);
        for (const std::string* field : fields)
            AppendField(text += ';', *field);
        text += "\r\n";
    }
    return text;
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
    const std::deque<JournalEntry>& entries = journal_.Entries();
    if (row >= entries.size())
        return {};
    const JournalEntry& entry = entries[entries.size() - 1 - row];
    return {LocalTimeText(entry.time, kTimePattern),
            entry.group,
            entry.caption,
            entry.host,
            entry.address,
            entry.state,
            entry.lasted ? Lasting(*entry.lasted) : std::string()};
}

std::string JournalPage::DroppedNote() const
{
    return journal_.Dropped() == 0 ? std::string() : "Старые записи отброшены: " + std::to_string(journal_.Dropped());
}

std::vector<DayStrip> JournalPage::Strips(TimePoint now) const
{
    const int hosts = journal_.HostCount();
    std::vector<int> order(static_cast<std::size_t>(hosts));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return Share(journal_.Day(a)) < Share(journal_.Day(b)); });
    const TimePoint start = now - kDayLength;
    const auto at = [&](TimePoint t) {
        return std::clamp(std::chrono::duration<double>(t - start) / std::chrono::duration<double>(kDayLength), 0.0,
                          1.0);
    };
    std::vector<DayStrip> strips;
    strips.reserve(order.size());
    for (const int host : order) {
        const HostDay& day = journal_.Day(host);
        DayStrip strip;
        strip.title =
            static_cast<std::size_t>(host) <= titles_.size() ? titles_[static_cast<std::size_t>(host) - 1] : "";
        strip.figures = Figures(day);
        strip.stretches.reserve(day.runs.size() + 1);
        double from = 0;
        std::uint32_t colour = kNotCheckedColor;
        for (const StateRun& run : day.runs) {
            const double to = at(run.from);
            if (to > from)
                strip.stretches.push_back({from, to, colour});
            from = std::max(from, to);
            colour = Colour(run.state);
        }
        if (from < 1)
            strip.stretches.push_back({from, 1, colour});
        strips.push_back(std::move(strip));
    }
    return strips;
}

}  // namespace orvane2
