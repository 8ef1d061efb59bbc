// SPDX-License-Identifier: MIT
#include "core/form1.h"
#include "fakes.h"

#include <gtest/gtest.h>
#include <ctime>

namespace orvane2 {
namespace {

using namespace testing;
using namespace std::chrono_literals;

struct Journal : ::testing::Test, Desk {
    // One cycle at `later` after the last: the hosts in `alive` answer after roundTrip ms.
    void Cycle(std::chrono::seconds later, std::set<std::string> alive, int roundTrip = 5)
    {
        services.now += later;
        probe->alive = std::move(alive);
        probe->roundTrip = roundTrip;
        form.Timer1_Timer();
        probe->DeliverAll();
        services.RunPosted();
    }
    // Each entry as "caption state lasted", oldest first.
    Strings Told() const
    {
        Strings told;
        for (const JournalEntry& e : form.JournalOfHosts().Entries())
            told.push_back(e.caption + " " + e.state + (e.lasted ? " " + std::to_string(e.lasted->count()) : ""));
        return told;
    }
};

TimePoint LocalTime(int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 9, t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

// Every change of state is an entry with how long the state it left had lasted; a host
// silent at its first check has an entry too, one that answers from the start none, and
// a new round-trip time is no change. Each check counts in the host's day.
TEST_F(Journal, EntriesTellEveryChangeAndHowLongTheLeftStateLasted)
{
    Load("checkinterval 5\ngroup Офис\n10.0.0.1 flaky\n10.0.0.2 steady\ngroup Сеть\nname.lan dns\n");
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}, {"name.lan", "10.0.0.3"}};
    const std::string all[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
    Cycle(0s, {all[1], all[2]}, 3);
    Cycle(10s, {all[0], all[1], all[2]}, 7);
    Cycle(20s, {all[1], all[2]}, 1);
    probe->addresses.erase("name.lan");
    Cycle(5s, {all[1]}, 9);
    Cycle(15s, {all[0], all[1]}, 2);
    EXPECT_EQ(Told(), (Strings{"flaky не отвечает", "flaky отвечает, 7 мс 10", "flaky не отвечает 20",
                               "dns имя не резолвится 35", "flaky отвечает, 2 мс 20"}));
    const JournalEntry& dns = form.JournalOfHosts().Entries()[3];
    EXPECT_EQ(std::make_tuple(dns.group, dns.host, dns.address), std::make_tuple("Сеть", "name.lan", ""));
    EXPECT_EQ(form.JournalOfHosts().Entries()[0].address, "10.0.0.1");
    EXPECT_EQ(form.JournalOfHosts().Entries()[0].group, "Офис");
    const HostDay& flaky = form.JournalOfHosts().Day(1);
    EXPECT_EQ(std::make_tuple(flaky.checks, flaky.answered, flaky.silences, flaky.longestSilence),
              std::make_tuple(5u, 2u, 1u, 20s));
    EXPECT_EQ(form.JournalOfHosts().Day(2).runs.size(), 1u);
    EXPECT_EQ(view.journalChanges + view.journalTimer, 0);  // no window to follow the checks
    // The menu's second item opens the window on the page; its rows come newest first.
    EXPECT_EQ(kMenuItems[1].caption, std::string("Журнал"));
    form.RunMenuCommand(kMenuItems[1].command);
    ASSERT_NE(view.journal, nullptr);
    EXPECT_EQ(view.journal->RowCount(), 5u);
    EXPECT_EQ(view.journal->Row(0)[5], "отвечает, 2 мс");
    EXPECT_EQ(view.journal->Row(0)[6], "20 с");
    EXPECT_EQ(view.journal->Row(4)[6], "");
    EXPECT_EQ(view.journal->DroppedNote(), "");
    // Open, the window follows: once, a while after the checks of a cycle, then every minute.
    EXPECT_EQ(view.journalTimer, 60000);
    Cycle(5s, {all[0], all[1], all[2]});
    EXPECT_EQ(std::make_pair(view.journalChanges, view.journalTimer), std::make_pair(0, 250));
    form.JournalTimer_Timer();
    EXPECT_EQ(std::make_pair(view.journalChanges, view.journalTimer), std::make_pair(1, 60000));
    form.JournalClosed();
    Cycle(5s, {all[1]});
    EXPECT_EQ(view.journalTimer, 0);
}

// The day keeps its runs of the last 24 hours, bounded, and the picture shows them in the
// board's colours, grey before the first check, least answered first.
TEST_F(Journal, EachHostsDayIsItsRunsOfTheLastDay)
{
    Load("checkinterval 5\ngroup G\n10.0.0.1 up\n10.0.0.2 flaky\n");
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    const TimePoint start = services.now;
    Cycle(0s, {"10.0.0.1", "10.0.0.2"});
    Cycle(6h, {"10.0.0.1"});
    Cycle(6h, {"10.0.0.1", "10.0.0.2"});
    std::vector<DayStrip> strips = JournalPage(form.JournalOfHosts(), {"a", "b"}).Strips(start + 18h, 8);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0].title, "b");
    EXPECT_EQ(strips[0].figures, "отвечал: 66 % проверок, замолкал: 1 раз, дольше всего молчал: 6 ч 0 мин 0 с");
    using Stretches = std::vector<std::tuple<double, double, std::uint32_t>>;
    // Merged to so many columns, a column that holds any silence is red, else the later colour.
    const auto seen = [&](std::size_t columns) {
        Stretches stretches;
        const std::vector<DayStrip> merged =
            JournalPage(form.JournalOfHosts(), {"a", "b"}).Strips(start + 18h, columns);
        for (const StripStretch& s : merged[0].stretches)
            stretches.emplace_back(s.from, s.to, s.bgr);
        return stretches;
    };
    const Stretches runs{
        {0, 0.25, 0xC0C0C0}, {0.25, 0.5, kAliveColor}, {0.5, 0.75, kDeadColor}, {0.75, 1, kAliveColor}};
    const std::pair<std::size_t, Stretches> cases[] = {{8, runs},
                                                       {4, runs},
                                                       {3, {{0, 1.0 / 3, kAliveColor}, {1.0 / 3, 1, kDeadColor}}},
                                                       {2, {{0, 0.5, kAliveColor}, {0.5, 1, kDeadColor}}},
                                                       {1, {{0, 1, kDeadColor}}}};
    for (const auto& [columns, expected] : cases)
        EXPECT_EQ(seen(columns), expected) << columns << " columns";
    // A day later the runs that ended before it are gone; the one in force stays.
    Cycle(25h, {"10.0.0.1"});
    const HostDay& day = form.JournalOfHosts().Day(2);
    ASSERT_EQ(day.runs.size(), 2u);
    EXPECT_EQ(std::make_pair(day.runs[0].from, day.runs[0].state), std::make_pair(start + 12h, HostState::Answered));
    // A host that changes every cycle keeps its last kMaxRunsPerHost runs.
    for (int cycle = 0; cycle < 2 * static_cast<int>(kMaxRunsPerHost); ++cycle)
        Cycle(1s, cycle % 2 ? std::set<std::string>{"10.0.0.1", "10.0.0.2"} : std::set<std::string>{"10.0.0.1"});
    EXPECT_EQ(day.runs.size(), kMaxRunsPerHost);
    EXPECT_EQ(day.runs.back().from, services.now);
    EXPECT_EQ(form.JournalOfHosts().Day(1).runs.size(), 1u);
}

// The journal holds the last kMaxJournalEntries entries and counts those it let go.
TEST_F(Journal, TheOldestEntriesGoFirst)
{
    Load("checkinterval 5\ngroup G\n10.0.0.1 a\n");
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
    const std::size_t changes = kMaxJournalEntries + 25;
    for (std::size_t cycle = 0; cycle < changes; ++cycle)
        Cycle(1s, cycle % 2 ? std::set<std::string>{"10.0.0.1"} : std::set<std::string>{});
    const auto& entries = form.JournalOfHosts().Entries();
    EXPECT_EQ(entries.size(), kMaxJournalEntries);
    EXPECT_EQ(form.JournalOfHosts().Dropped(), 25u);
    EXPECT_EQ(entries.back().time, services.now);
    EXPECT_EQ(entries.front().time, services.now - std::chrono::seconds(kMaxJournalEntries - 1));
    EXPECT_EQ(JournalPage(form.JournalOfHosts(), {}).DroppedNote(), "Старые записи отброшены: 25");
}

// «Сохранить…» asks for a file and writes the entries oldest first as CSV; a file that
// cannot be written is said so, naming it, and the journal stays as it was.
TEST_F(Journal, SavedAsCsvOrToldWhyNot)
{
    Load("checkinterval 5\ngroup Офис; \"главный\"\n10.0.0.1 a\n");
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
    services.now = LocalTime(12, 3, 0);
    Cycle(0s, {});
    Cycle(18min, {"10.0.0.1"}, 3);
    form.journalSave_Click();  // cancelled
    EXPECT_EQ(services.files.size(), 1u);
    EXPECT_EQ(view.askedSave.title, "Сохранить журнал");
    EXPECT_EQ(view.askedSave.defaultExtension, "csv");
    view.chosenSave = "/home/u/журнал.csv";
    form.journalSave_Click();
    EXPECT_EQ(services.files[*view.chosenSave],
              "\xEF\xBB\xBFВремя;Группа;Узел;Хост;Адрес;Состояние;Длилось, с\r\n"
              "2026-12-09 12:03:00;\"Офис; \"\"главный\"\"\";a;10.0.0.1;10.0.0.1;не отвечает;\r\n"
              "2026-12-09 12:21:00;\"Офис; \"\"главный\"\"\";a;10.0.0.1;10.0.0.1;отвечает, 3 мс;1080\r\n");
    EXPECT_TRUE(services.messages.empty());
    view.chosenSave = "/root/журнал.csv";
    services.unwritable = {*view.chosenSave};
    form.journalSave_Click();
    EXPECT_EQ(services.Prompts(), Strings{"Не удалось сохранить журнал в файл /root/журнал.csv"});
    EXPECT_FALSE(services.files.count(*view.chosenSave));
    EXPECT_EQ(form.JournalOfHosts().Entries().size(), 2u);
}

}  // namespace
}  // namespace orvane2
