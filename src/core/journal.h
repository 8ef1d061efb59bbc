// SPDX-License-Identifier: MIT
#pragma once

#include "core/host_check.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace orvane2 {

// The journal's window and its file.
inline constexpr const char* kJournalTitle = "Журнал — Монитор узлов";
inline constexpr const char* kJournalSaveCaption = "Сохранить…";
inline constexpr const char* kJournalCloseCaption = "Закрыть";
inline constexpr const char* kJournalSaveTitle = "Сохранить журнал";
inline constexpr std::size_t kJournalColumns = 7;
// «Время», «Группа», «Узел», «Хост», «Адрес», «Состояние», «Длилось».
extern const std::array<const char*, kJournalColumns> kJournalColumnCaptions;
// Their widths when the window opens, in device-independent pixels (at 96 dots per inch).
inline constexpr std::array<int, kJournalColumns> kJournalColumnWidths{130, 90, 100, 120, 100, 160, 80};

inline constexpr std::size_t kMaxJournalEntries = 10000;
inline constexpr std::size_t kMaxRunsPerHost = 2000;
inline constexpr std::chrono::hours kDayLength{24};

// One change of one host's state.
struct JournalEntry {
    TimePoint time;
    std::string group;    // the group box's caption
    std::string caption;  // the label's caption
    std::string host;     // as written in the file
    std::string address;  // the address checked; empty when the name did not resolve
    std::string state;    // in the words the labels use: «отвечает, 3 мс», «не отвечает»…
    // How long the host had been in the state it left; none for its first entry.
    std::optional<std::chrono::seconds> lasted;
};

// A stretch of time one host spent in one state, for the picture of its day.
struct StateRun {
    TimePoint from;
    HostState state = HostState::NotChecked;
};

// What a host's checks since start-up add up to.
struct HostDay {
    std::size_t checks = 0;
    std::size_t answered = 0;
    std::size_t silences = 0;               // times it went from answering to not
    std::chrono::seconds longestSilence{};  // the longest stretch without an answer, so far
    std::deque<StateRun> runs;              // the last 24 hours, oldest first; bounded
};

// What the program remembers of its hosts' past, in memory only: every change of a
// host's state after its first check, a host's first check when it does not answer
// then, and each host's day. Bounded: the oldest entries and runs go first.
class Journal {
public:
    // Starts a journal for hosts 1 to hostCount.
    explicit Journal(int hostCount = 0);

    // Host index (1 and up) has been checked at `now`; check is its record after the
    // check. Adds an entry when the state changed from the one its day last recorded (a
    // change of round-trip time alone is none), and folds the check into the host's day.
    // Returns whether an entry was added.
    bool Checked(int index, const HostCheck& check, const std::string& group,
                 const std::string& caption, const std::string& host, TimePoint now);

    const std::deque<JournalEntry>& Entries() const { return entries_; }  // oldest first
    std::size_t Dropped() const { return dropped_; }                      // entries let go
    const HostDay& Day(int index) const;                                  // host 1 and up
    int HostCount() const;

private:
    std::deque<JournalEntry> entries_;
    std::size_t dropped_ = 0;
    std::vector<HostDay> days_;  // index 0 for host 1
    // Since when each host has not answered, while it does not; index 0 for host 1.
    std::vector<std::optional<TimePoint>> silentSince_;
};

// The journal as a CSV file: UTF-8 with a byte-order mark, ';' between fields, CR LF
// line ends, fields quoted where RFC 4180 needs it, the header line
// "Время;Группа;Узел;Хост;Адрес;Состояние;Длилось, с", entries oldest first, times as
// YYYY-MM-DD HH:MM:SS local time, durations in whole seconds.
std::string JournalCsv(const Journal& journal);

// One strip of the day picture: the host's states over the last 24 hours as stretches
// of the board's colours, from 0 (24 hours ago) to 1 (now).
struct StripStretch {
    double from = 0;
    double to = 0;
    std::uint32_t bgr = 0;  // 0x00BBGGRR: dark green, red, or grey before the first check
};

struct DayStrip {
    std::string title;    // "caption (host)"
    std::string figures;  // the share answered, how often silent, the longest silence, in words
    std::vector<StripStretch> stretches;
};

// What the journal window shows, read on demand so that a window with 10,000 rows
// brings itself up to date at once: the view asks for the rows it draws.
class JournalPage {
public:
    JournalPage(const Journal& journal, const std::vector<std::string>& hostTitles);

    std::size_t RowCount() const;
    // Row 0 is the newest entry; its cells in the order of kJournalColumnCaptions.
    std::array<std::string, kJournalColumns> Row(std::size_t row) const;
    // "Старые записи отброшены: N" when entries were let go; else empty.
    std::string DroppedNote() const;
    std::size_t Dropped() const { return journal_.Dropped(); }  // entries let go so far
    // One strip per host, those that answered least first, each drawn `columns` pixels
    // wide: its stretches are merged to at most one per column, a column holding any
    // silence red, else the colour of the last stretch in it; so a strip costs its width,
    // not its runs.
    std::vector<DayStrip> Strips(TimePoint now, std::size_t columns) const;

private:
    const Journal& journal_;
    const std::vector<std::string>& titles_;  // by host, index 0 for host 1
};

}  // namespace orvane2
