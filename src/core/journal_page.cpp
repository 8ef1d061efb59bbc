// SPDX-License-Identifier: MIT
// What the journal shows: its file, its rows and the picture of each host's day.
#include "core/check_cycle.h"
#include "core/journal.h"

#include <algorithm>
#include <cmath>
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

constexpr std::uint32_t kNoStretch = 0xFFFFFFFF;  // a column no stretch covers

// The runs of the day over the columns between edges (the first at the day's start, the
// last now), one colour each: the columns a stretch is in force during, at least the one
// it starts in, so that a short silence still shows; in a column several share, silence
// wins, else the later stretch. Walked column by column; the rest of a column that
// silence has won is skipped, so that a host that flaps all day costs its width, not
// its runs.
std::vector<std::uint32_t> ByColumn(const std::deque<StateRun>& runs, const std::vector<TimePoint>& edges)
{
    const std::size_t columns = edges.size() - 1;
    const TimePoint now = edges.back();
    // Stretch k: before the first run grey, then run k - 1's state until the next run.
    const std::size_t count = runs.size() + 1;
    const auto begins = [&](std::size_t k) { return k == 0 ? TimePoint::min() : runs[k - 1].from; };
    const auto ends = [&](std::size_t k) { return k == runs.size() ? TimePoint::max() : runs[k].from; };
    const auto colour = [&](std::size_t k) { return k == 0 ? kNotCheckedColor : Colour(runs[k - 1].state); };
    std::vector<std::uint32_t> shown(columns, kNoStretch);
    std::size_t k = 0;
    for (std::size_t x = 0; x < columns; ++x) {
        const TimePoint left = edges[x], right = edges[x + 1];
        while (k < count && ends(k) <= left)
            ++k;
        std::size_t j = k;
        for (; j < count && begins(j) < right; ++j) {
            if (begins(j) < ends(j) && begins(j) < now)
                shown[x] = colour(j);
            if (shown[x] == kDeadColor) {
                // Silence wins the column: on to the first stretch that begins after it.
                const auto later = std::partition_point(runs.begin() + static_cast<std::ptrdiff_t>(j), runs.end(),
                                                        [right](const StateRun& run) { return run.from < right; });
                j = static_cast<std::size_t>(later - runs.begin()) + 1;
                break;
            }
        }
        if (j > k)
            k = j - 1;  // the last one may go on into the next column
    }
    return shown;
}

// Each run of columns of one colour as one stretch, from its first column's left
// edge to its last one's right.
std::vector<StripStretch> Merged(const std::vector<std::uint32_t>& columns)
{
    const auto span = static_cast<double>(columns.size());
    std::vector<StripStretch> stretches;
    for (std::size_t x = 0; x < columns.size();) {
        std::size_t end = x + 1;
        while (end < columns.size() && columns[end] == columns[x])
            ++end;
        if (columns[x] != kNoStretch)
            stretches.push_back({static_cast<double>(x) / span, static_cast<double>(end) / span, columns[x]});
        x = end;
    }
    return stretches;
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

std::vector<DayStrip> JournalPage::Strips(TimePoint now, std::size_t columns) const
{
    const int hosts = journal_.HostCount();
    std::vector<int> order(static_cast<std::size_t>(hosts));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return Share(journal_.Day(a)) < Share(journal_.Day(b)); });
    const TimePoint start = now - kDayLength;
    columns = std::max<std::size_t>(columns, 1);
    std::vector<TimePoint> edges;  // of the columns, the same for every strip
    for (std::size_t x = 0; x <= columns; ++x)
        edges.push_back(start + (now - start) * static_cast<TimePoint::rep>(x) / static_cast<TimePoint::rep>(columns));
    std::vector<DayStrip> strips;
    strips.reserve(order.size());
    for (const int host : order) {
        const HostDay& day = journal_.Day(host);
        const std::string title =
            static_cast<std::size_t>(host) <= titles_.size() ? titles_[static_cast<std::size_t>(host) - 1] : "";
        strips.push_back({title, Figures(day), Merged(ByColumn(day.runs, edges))});
    }
    return strips;
}

}  // namespace orvane2
