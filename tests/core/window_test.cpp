// SPDX-License-Identifier: MIT
#include "core/argument_string.h"
#include "core/board_layout.h"
#include "core/check_cycle.h"
#include "core/config_reader.h"
#include "core/form1.h"
#include "core/restart.h"
#include "core/startup.h"
#include "fakes.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <ctime>

namespace orvane2 {
namespace {

using namespace testing;

constexpr const char* kTip = "AddTray Монитор узлов активен";

struct Window : ::testing::Test, Desk {};

// Without an interval the timer takes sixty seconds, once a message has said so.
TEST_F(Window, LoadPlacesTheBoardThenAddsTheIconThenStartsTheTimer)
{
    services.files["restart.bat"] = "old";
    services.files["my dir/x.cfg"] = "group A\na 1\nb 2\ngroup B\nc 3\ngroup C\n";
    form.Load("my dir/x.cfg", [] { return std::make_unique<FakeProbe>(); });
    EXPECT_EQ(services.log, (Strings{"Kill restart.bat", "MsgBox", "PlaceBoard", kTip, "Timer 60000"}));
    EXPECT_EQ(services.Prompts(), Strings{MissingIntervalMessage()});
    const char* argv[] = {"orvane2", "my", "dir/x.cfg"};
    EXPECT_EQ(ArgumentString(3, argv), "my dir/x.cfg");  // the whole argument string is the path

    const Board& b = view.placed;
    std::vector<std::array<int, 3>> boxes, labels;  // top, height, shown; top, box, shown
    for (const GroupBox& box : b.Frame1)
        boxes.push_back({box.rect.top, box.rect.height, box.visible});
    for (const HostLabel& label : b.Label1)
        labels.push_back({label.rect.top, label.container, label.visible});
    EXPECT_EQ(boxes, (decltype(boxes){{120, 375, 0}, {120, 870, 1}, {1090, 615, 1}, {1805, 375, 1}}));
    EXPECT_EQ(labels, (decltype(labels){{600, 0, 0}, {240, 1, 1}, {495, 1, 1}, {240, 2, 1}}));
    EXPECT_EQ(b.WindowHeight, 1805 + 375 + 1200);
    EXPECT_EQ(b.StatusString.rect.top, 1805 + 375 + 1200 - 1000);
}

// A missing, unreachable or unreadable file, or a host before any group: the program ends after its
// message, before it makes a probe, places the board, adds the icon or starts the timer.
TEST_F(Window, UnusableConfigurationEndsTheProgram)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Конфигурационный файл vantor2.cfg не найден"},  // argument string, message
        {"locked.cfg", "Конфигурационный файл locked.cfg не удалось прочитать"},
        {"closed/x.cfg", "Конфигурационный файл closed/x.cfg не удалось прочитать"},  // maybe there
        {"early.cfg", NoGroupMessage()},
    };
    for (const auto& [arguments, message] : cases) {
        Desk d;
        d.services.files = {{"locked.cfg", "group G\n"}, {"early.cfg", "checkinterval 30\na 1\ngroup G\n"}};
        d.services.unreadable = {"locked.cfg"}, d.services.unreachable = {"closed/x.cfg"};
        bool probed = false;
        d.Trap([&] { d.form.Load(arguments, [&] { return probed = true, std::make_unique<FakeProbe>(); }); });
        EXPECT_EQ(d.endedWith, 1) << message;
        EXPECT_EQ(d.services.Prompts(), Strings{message});
        EXPECT_EQ(d.services.log, (Strings{"MsgBox", "RemoveTray", "End 1"})) << message;
        EXPECT_FALSE(probed) << message;
    }
}

TEST_F(Window, TrayClicksToggleTheWindowOrOpenTheMenu)
{
    Load("checkinterval 5\ngroup G\n");
    for (int code : {512, 513, 515, 516, 518, 520, 0})
        form.TrayNotification(code);
    EXPECT_TRUE(services.log.empty());
    form.TrayNotification(kLeftButtonUp);
    form.TrayNotification(kLeftButtonUp);
    form.showhide_Click();
    form.TrayNotification(kRightButtonUp);
    EXPECT_EQ(services.log, (Strings{"HideMinimized", "Restore", "HideMinimized", "Popup"}));
    // Positions in twips round to the nearest pixel.
    services.log.clear();
    form.Form_MouseMove(0, 0, 517 * 15 + 7, 0);
    EXPECT_EQ(services.log, Strings{"Popup"});
    // An error in tray handling is shown with the window's caption.
    view.failPopup = true;
    form.TrayNotification(kRightButtonUp);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(std::make_tuple(services.messages[0].prompt, services.messages[0].style, services.messages[0].title),
              std::make_tuple("no menu", int(vbInformation), "Orvane2 - Монитор узлов"));
}

TEST_F(Window, WithoutANotificationAreaTheMenuIsOnTheWindowAndToggleOnlyMinimises)
{
    view.trayAvailable = false;
    services.files["vantor2.cfg"] = "checkinterval 5\ngroup G\n";
    form.Load("", [] { return std::make_unique<FakeProbe>(); });
    EXPECT_EQ(services.log, (Strings{"PlaceBoard", kTip, "MenuBar", "Timer 5000"}));
    services.log.clear();
    form.showhide_Click();
    form.showhide_Click();
    EXPECT_EQ(services.log, (Strings{"Minimize", "Restore"}));
}

TEST_F(Window, ChangeConfigWritesTheScriptAndStartsTheProgramOnTheChosenFile)
{
    Load("checkinterval 5\ngroup G\n");
    form.changeconfig_Click();  // cancelled
    EXPECT_TRUE(services.log.empty());
    // Qt filters by the pattern in each description; no desktop test reads them.
    EXPECT_EQ(view.asked.filters.at(0).description, "Конфиги Монитора(*.cfg)");
    EXPECT_EQ(view.asked.filters.at(1).description, "Все файлы (*.*)");
    EXPECT_EQ(view.asked.defaultExtension, "cfg");

    const std::string chosen = "/srv/a b/x;rm -rf.cfg";
    view.chosen = chosen;
    services.files["restart.bat"] = "stale\r\n";
    Trap([&] { form.changeconfig_Click(); });
    EXPECT_EQ(endedWith, 0);
    EXPECT_EQ(services.files["restart.bat"], "@echo off\r\nOrvane2.exe " + chosen + "\r\n");
    EXPECT_EQ(services.launches, std::vector<Strings>{{chosen}});
    EXPECT_EQ(services.log,
              (Strings{"Kill restart.bat", "Append restart.bat", "Launch /opt/orvane2", "RemoveTray", "End 0"}));
    // A start that fails is told, and the program runs on; no new process will delete the script.
    services.log.clear(), services.launchFails = true;
    form.changeconfig_Click();
    EXPECT_EQ(services.Prompts(), Strings{RestartFailedMessage(chosen)});
    EXPECT_EQ(services.log,
              (Strings{"Kill restart.bat", "Append restart.bat", "Launch /opt/orvane2", "Kill restart.bat", "MsgBox"}));
}

TEST_F(Window, TallBoardsScrollInAWindowAsTallAsTheScreen)
{
    const std::string file = "checkinterval 5\ngroup G\na\nb\nc\n";  // window 2445 twips high
    struct Case {
        std::optional<int> available;
        int window, status;
        std::optional<std::pair<int, int>> viewport;  // height, content height
    };
    for (const Case& c : {Case{std::nullopt, 2445, 1445, {}}, Case{2445, 2445, 1445, {}},
                          Case{2000, 2000, 1000, {{900, 1365}}}, Case{100, 1695, 695, {{595, 1365}}}}) {
        Desk desk;
        desk.view.available = c.available;
        desk.Load(file);
        const Board& b = desk.view.placed;
        EXPECT_EQ(b.WindowHeight, c.window);
        EXPECT_EQ(b.StatusString.rect.top, c.status);
        EXPECT_EQ(b.Viewport ? std::optional(std::pair(b.Viewport->height, b.Viewport->contentHeight)) : std::nullopt,
                  c.viewport);
        EXPECT_EQ(b.Label1[3].rect.top, 750);  // the board itself is as ever
        // Under a menu bar 300 twips tall the status line keeps its distance from the
        // window's bottom; a window cut to the screen keeps its height, its viewport giving the room.
        const Board barred = WithMenuBar(b, 300);
        EXPECT_EQ(barred.WindowHeight, c.viewport ? c.window : c.window + 300);
        EXPECT_EQ(*barred.WindowHeight - 300 - barred.StatusString.rect.top, c.window - c.status);
        if (c.viewport) {
            EXPECT_EQ(barred.Viewport->height, c.viewport->first - 300);
        }
    }
}

// Every host's check goes out at once, in file order; each outcome is applied when it
// reaches the window's thread, in whatever order it comes; the status line clears with
// the last; a tick meanwhile does nothing.
TEST_F(Window, CycleChecksEveryHostAtOnceAndAppliesEachOutcomeAsItComes)
{
    Load("checkinterval 5\ngroup G\nup a\n  down b\nnowhere c\n10.0.0.9 d\n");
    probe->addresses = {{"up", "10.0.0.1"}, {"down", "10.0.0.2"}, {"10.0.0.9", "10.0.0.9"}};
    probe->alive = {"10.0.0.1", "10.0.0.9"};
    form.Timer1_Timer();
    form.Timer1_Timer();
    EXPECT_EQ(probe->calls, Strings{"Batch 1000 up down nowhere 10.0.0.9"});
    EXPECT_EQ(services.log, (Strings{"DoEvents", "Status Перепроверяем...", "DoEvents"}));
    probe->Deliver(3);
    probe->Deliver(2);
    EXPECT_TRUE(view.colors.empty()) << "applied off the window's queue";
    EXPECT_EQ(services.RunPosted(), 2u);
    EXPECT_EQ(view.colors, (std::map<int, std::uint32_t>{{3, kDeadColor}, {4, kAliveColor}}));
    // The unresolved name is told in a box that holds up nothing.
    const std::string dns = "Что-то не так. Проверьте свой DNS. nowhere не резолвится";
    EXPECT_EQ(services.notices, Strings{dns});
    EXPECT_TRUE(form.CycleRunning());
    probe->Deliver(1);
    probe->Deliver(0);
    services.RunPosted();
    EXPECT_EQ(view.colors,
              (std::map<int, std::uint32_t>{{1, kAliveColor}, {2, kDeadColor}, {3, kDeadColor}, {4, kAliveColor}}));
    EXPECT_EQ(services.log.back(), "Status ");
    EXPECT_FALSE(form.CycleRunning());
    // A host that stops answering turns red on the next cycle; the name is told again
    // once its box is closed.
    probe->alive.clear();
    services.openNotices.clear();
    form.Timer1_Timer();
    probe->DeliverAll();
    services.RunPosted();
    EXPECT_EQ(view.colors[1], kDeadColor);
    EXPECT_EQ(services.notices, Strings(2, dns));
    // Without hosts a tick only sets and clears the status line.
    Desk empty;
    empty.Load("checkinterval 5\ngroup G\n");
    empty.form.Timer1_Timer();
    EXPECT_EQ(empty.services.log, (Strings{"DoEvents", "Status Перепроверяем...", "DoEvents", "Status "}));
    EXPECT_FALSE(empty.form.CycleRunning());
}

// Whatever the window handles between two outcomes runs at once, and the cycle either
// goes on intact or the program ends there.
TEST(Reentrancy, EventsDuringACycle)
{
    struct Case {
        const char* name;
        std::function<void(Desk&)> event;
        std::optional<int> endedWith;
        Strings log;  // what the event did
    };
    const std::vector<Case> cases = {
        {"left click", [](Desk& d) { d.form.TrayNotification(kLeftButtonUp); }, {}, {"HideMinimized"}},
        {"right click", [](Desk& d) { d.form.TrayNotification(kRightButtonUp); }, {}, {"Popup"}},
        {"timer tick", [](Desk& d) { d.form.Timer1_Timer(); }, {}, {}},
        {"message box",
         [](Desk& d) { d.view.failPopup = true, d.form.TrayNotification(kRightButtonUp); },
         {},
         {"Popup", "MsgBox"}},
        {"switch cancelled", [](Desk& d) { d.form.changeconfig_Click(); }, {}, {}},
        {"exit", [](Desk& d) { d.form.exit_Click(); }, 0, {"RemoveTray", "End 0"}},
    };
    for (const Case& c : cases) {
        Desk d;
        d.Load("checkinterval 5\ngroup G\n127.0.0.1 a\n127.0.0.2 b\n127.0.0.3 c\n");
        d.probe->addresses = {{"127.0.0.1", "127.0.0.1"}, {"127.0.0.2", "127.0.0.2"}, {"127.0.0.3", "127.0.0.3"}};
        d.probe->alive = {"127.0.0.1", "127.0.0.3"};
        d.form.Timer1_Timer();
        d.probe->Deliver(2);
        d.probe->Deliver(1);
        d.services.PostToWindow([&] { d.Trap([&] { c.event(d); }); });
        d.probe->Deliver(0);
        const std::size_t before = d.services.log.size();
        d.services.RunPosted();
        EXPECT_EQ(d.endedWith, c.endedWith) << c.name;
        if (c.endedWith)
            continue;
        const Strings during(d.services.log.begin() + static_cast<std::ptrdiff_t>(before), d.services.log.end() - 1);
        EXPECT_EQ(during, c.log) << c.name;
        EXPECT_EQ(d.probe->calls.size(), 1u) << c.name << ": one batch";
        EXPECT_EQ(d.view.colors, (std::map<int, std::uint32_t>{{1, kAliveColor}, {2, kDeadColor}, {3, kAliveColor}}))
            << c.name;
        EXPECT_EQ(d.services.log.back(), "Status ") << c.name;
        EXPECT_FALSE(d.form.CycleRunning()) << c.name;
    }
}

// Each label says in words what its host's last check found, and since when: the time
// moves only when the state changes.
TEST_F(Window, LabelsTellTheLastCheckInWords)
{
    Load("checkinterval 5\ngroup G\n10.0.0.1 a\nname.lan b\n");
    EXPECT_EQ(view.descriptions,
              (std::map<int, std::string>{{1, "10.0.0.1\nещё не проверялся"}, {2, "name.lan\nещё не проверялся"}}));
    std::tm start{};
    start.tm_year = 2026 - 1900, start.tm_mon = 11, start.tm_mday = 7, start.tm_hour = 14, start.tm_min = 2,
    start.tm_sec = 31, start.tm_isdst = -1;
    services.now = std::chrono::system_clock::from_time_t(std::mktime(&start));
    struct Step {
        std::chrono::minutes later;
        bool host1Answers, nameResolves;
        PingOutcome failure;
        int roundTrip;
        std::string text1, text2;
    };
    using namespace std::chrono_literals;
    const std::vector<Step> steps = {
        {0min, true, false, PingOutcome::NoAnswer, 0, "10.0.0.1\nотвечает, <1 мс\nс 14:02:31",
         "name.lan\nимя не резолвится\nс 14:02:31"},
        {1min, true, true, PingOutcome::NoAnswer, 12, "10.0.0.1\nотвечает, 12 мс\nс 14:02:31",
         "name.lan\n10.0.0.2\nне отвечает\nс 14:03:31"},
        {1min, false, true, PingOutcome::NoAnswer, 0, "10.0.0.1\nне отвечает\nс 14:04:31",
         "name.lan\n10.0.0.2\nне отвечает\nс 14:03:31"},
        {1min, false, true, PingOutcome::NotPermitted, 0, "10.0.0.1\nнет права отправлять ICMP\nс 14:05:31",
         "name.lan\n10.0.0.2\nнет права отправлять ICMP\nс 14:05:31"},
        {24h, false, true, PingOutcome::NotPermitted, 0, "10.0.0.1\nнет права отправлять ICMP\nс 07.12.2026 14:05:31",
         "name.lan\n10.0.0.2\nнет права отправлять ICMP\nс 07.12.2026 14:05:31"},
    };
    for (const Step& step : steps) {
        services.openNotices.clear();  // every box closed: what is told once per run stays told
        services.now += step.later;
        probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
        if (step.nameResolves)
            probe->addresses["name.lan"] = "10.0.0.2";
        probe->alive = step.host1Answers ? std::set<std::string>{"10.0.0.1"} : std::set<std::string>{};
        probe->roundTrip = step.roundTrip;
        probe->failure = step.failure;
        form.Timer1_Timer();
        probe->DeliverAll();
        services.RunPosted();
        EXPECT_EQ(view.descriptions[1], step.text1);
        EXPECT_EQ(view.descriptions[2], step.text2);
    }
    // The refusal is told once, in a box that does not wait, whichever host met it.
    EXPECT_EQ(services.notices, (Strings{DnsMessage("name.lan"), IcmpNotPermittedMessage()}));
}

// A check that lacks a resource (a batch whose thread cannot start, a host whose lookup
// has no thread) fails alone: its hosts are red and say why, the cycle ends, and the next
// tick checks them again.
TEST_F(Window, AHostThatCouldNotBeCheckedSaysWhyAndTheNextCycleTriesAgain)
{
    Load("checkinterval 5\ngroup G\n10.0.0.1 a\nname.lan b\n");
    const std::string lacking =
        "не удалось проверить: thread: " + std::make_error_code(std::errc::resource_unavailable_try_again).message();
    struct Cycle {
        bool batchThrows;
        std::map<std::string, std::string> unchecked;
        std::uint32_t color1, color2;
        std::string state1, state2, toolTip;
    };
    const std::vector<Cycle> cycles = {
        {true, {}, kDeadColor, kDeadColor, "10.0.0.1\n" + lacking, "name.lan\n" + lacking, "Не отвечают: 2 из 2"},
        {false,
         {{"name.lan", "no thread"}},
         kAliveColor,
         kDeadColor,
         "10.0.0.1\nотвечает, <1 мс",
         "name.lan\nне удалось проверить: no thread",
         "Не отвечают: 1 из 2"},
        {false,
         {},
         kAliveColor,
         kAliveColor,
         "10.0.0.1\nотвечает, <1 мс",
         "name.lan\n10.0.0.2\nотвечает, <1 мс",
         "Все 2 отвечают"},
    };
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"name.lan", "10.0.0.2"}};
    probe->alive = {"10.0.0.1", "10.0.0.2"};
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const Cycle& c = cycles[i];
        probe->batchThrows = c.batchThrows, probe->unchecked = c.unchecked;
        services.log.clear();
        form.Timer1_Timer();
        if (!c.batchThrows)
            probe->DeliverAll();
        services.RunPosted();
        EXPECT_FALSE(form.CycleRunning()) << i;
        EXPECT_EQ(std::count(services.log.begin(), services.log.end(), "Status "), 1) << i << ": the status cleared";
        EXPECT_EQ(view.colors, (std::map<int, std::uint32_t>{{1, c.color1}, {2, c.color2}})) << i;
        EXPECT_EQ(view.descriptions[1].substr(0, view.descriptions[1].rfind("\nс ")), c.state1) << i;
        EXPECT_EQ(view.descriptions[2].substr(0, view.descriptions[2].rfind("\nс ")), c.state2) << i;
        EXPECT_EQ(view.look.toolTip, std::string("Монитор узлов активен\n") + c.toolTip) << i;
    }
    EXPECT_EQ(probe->calls.size(), cycles.size()) << "every tick tried again";
    EXPECT_TRUE(services.messages.empty() && services.notices.empty()) << "nothing to answer: the states tell it";
}

// The icon is always there: a tray that appears late takes the icon and the menu bar
// goes; a tray that goes away and stays away shows the window with its menu.
TEST_F(Window, TheIconFollowsTheTrayWhenItComesAndGoes)
{
    view.trayAvailable = false;
    Load("checkinterval 5\ngroup G\n");
    EXPECT_EQ(view.look.toolTip, "Монитор узлов активен");
    view.trayAvailable = true;
    form.TrayAppeared();
    form.showhide_Click();  // hides to the tray now
    form.TrayVanished();
    form.TrayAppeared();  // back in time
    form.TrayTimer_Timer();
    form.TrayVanished();
    view.trayAvailable = false;
    form.TrayTimer_Timer();  // none back: the menu on the window, and the window shown
    form.showhide_Click();
    form.TrayVanished();  // nothing docked: nothing to wait for
    form.NotificationClicked();
    EXPECT_EQ(services.log,
              (Strings{"StopTrayTimer", kTip, "NoMenuBar", "HideMinimized", "TrayTimer 5000", "StopTrayTimer", kTip,
                       "TrayTimer 5000", "MenuBar", "Restore", "Minimize", "Restore"}));
}

// After each cycle the icon shows the board; the news of a cycle reach the view as one
// notification, each host told by its label's caption and its host as written.
TEST_F(Window, CyclesMarkTheIconAndNotifyOfChanges)
{
    Load("checkinterval 5\ngroup G\n10.0.0.1 gateway\n10.0.0.2\nnowhere\n");
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    for (int cycle = 0; cycle < 3; ++cycle) {
        services.openNotices.clear();
        form.Timer1_Timer();
        probe->DeliverAll();
        services.RunPosted();
        if (cycle == 0) {
            EXPECT_EQ(view.look.toolTip, "Монитор узлов активен\nНе отвечают: 3 из 3");
        }
        probe->alive = {"10.0.0.1", "10.0.0.2"};
    }
    EXPECT_EQ(view.look.mark, TrayMark::SomeSilent);
    EXPECT_EQ(view.look.toolTip, "Монитор узлов активен\nНе отвечают: 1 из 3");
    EXPECT_EQ(view.notices, Strings{"gateway (10.0.0.1) отвечает\n10.0.0.2 отвечает"});
}

}  // namespace
}  // namespace orvane2
