// SPDX-License-Identifier: MIT
#include "core/argument_string.h"
#include "core/check_cycle.h"
#include "core/form1.h"
#include "core/startup.h"
#include "fakes.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>

namespace orvane2 {
namespace {

using namespace testing;

constexpr const char* kTip = "AddTray Монитор узлов активен";

// The window's behaviour against a recording desktop: Load runs start-up on a file.
struct Desk {
    FakeServices services;
    FakeView view{services.log};
    Form1 form{services, view};
    FakeProbe* probe = nullptr;
    std::optional<int> endedWith;

    template <typename Step>
    void Trap(Step step)
    {
        try {
            step();
        } catch (const ProgramEnded& e) {
            endedWith = e.exitCode;
        }
    }
    void Load(const std::string& file, const std::string& arguments = "")
    {
        services.files[arguments.empty() ? kDefaultConfigPath : arguments] = file;
        Trap([&] {
            form.Load(arguments, [this] {
                auto owned = std::make_unique<FakeProbe>();
                probe = owned.get();
                return owned;
            });
        });
        services.log.clear();
    }
};
struct Window : ::testing::Test, Desk {};

TEST_F(Window, LoadPlacesTheBoardThenAddsTheIconThenStartsTheTimer)
{
    services.files["restart.bat"] = "old";
    services.files["my dir/x.cfg"] = "checkinterval 5\ngroup A\na 1\nb 2\ngroup B\nc 3\ngroup C\n";
    form.Load("my dir/x.cfg", [] { return std::make_unique<FakeProbe>(); });
    EXPECT_EQ(services.log, (Strings{"Kill restart.bat", "PlaceBoard", kTip, "Timer 5000"}));
    EXPECT_TRUE(services.messages.empty());
    const char* argv[] = {"orvane2", "my", "dir/x.cfg"};
    EXPECT_EQ(ArgumentString(3, argv), "my dir/x.cfg");  // the whole argument string is the path

    const Board& b = view.placed;
    ASSERT_EQ(b.Frame1.size(), 4u);
    ASSERT_EQ(b.Label1.size(), 4u);
    const std::vector<std::pair<int, int>> boxes = {{120, 870}, {1090, 615}, {1805, 375}};  // top, height
    for (int g = 1; g <= 3; ++g) {
        EXPECT_EQ(b.Frame1[g].rect.top, boxes[g - 1].first) << g;
        EXPECT_EQ(b.Frame1[g].rect.height, boxes[g - 1].second) << g;
        EXPECT_TRUE(b.Frame1[g].visible);
    }
    const std::vector<std::pair<int, int>> labels = {{240, 1}, {495, 1}, {240, 2}};  // top, box
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(b.Label1[i].rect.top, labels[i - 1].first) << i;
        EXPECT_EQ(b.Label1[i].container, labels[i - 1].second) << i;
        EXPECT_EQ(b.Label1[i].rect.left, 120);
    }
    EXPECT_EQ(b.WindowHeight, 1805 + 375 + 1200);
    EXPECT_EQ(b.StatusString.rect.top, 1805 + 375 + 1200 - 1000);
    EXPECT_FALSE(b.Frame1[0].visible || b.Label1[0].visible);
    EXPECT_EQ(b.Label1[0].rect.top, 600);
}

TEST_F(Window, UnusableConfigurationEndsBeforeBoardIconOrTimer)
{
    Trap([&] { form.Load("", [] { return std::make_unique<FakeProbe>(); }); });
    EXPECT_EQ(endedWith, 1);
    EXPECT_EQ(services.Prompts(), Strings{"Конфигурационный файл vantor2.cfg не найден"});
    EXPECT_EQ(services.log, (Strings{"MsgBox", "RemoveTray", "End 1"}));

    services.messages.clear();
    services.log.clear();
    Load("checkinterval 30\n10.0.0.1 gateway\ngroup G\n", "early.cfg");
    EXPECT_EQ(endedWith, 1);
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(view.placed.Frame1.size(), 1u);
}

TEST_F(Window, MissingIntervalGivesSixtySecondsAfterItsMessage)
{
    services.files["vantor2.cfg"] = "group G\n";
    form.Load("", [] { return std::make_unique<FakeProbe>(); });
    EXPECT_EQ(services.Prompts(), Strings{MissingIntervalMessage()});
    EXPECT_EQ(services.log.back(), "Timer 60000");
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

TEST_F(Window, ErrorsInTrayHandlingAreShownWithTheWindowCaption)
{
    Load("checkinterval 5\ngroup G\n");
    view.failPopup = true;
    form.TrayNotification(kRightButtonUp);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, "no menu");
    EXPECT_EQ(services.messages[0].style, vbInformation);
    EXPECT_EQ(services.messages[0].title, "Orvane2 - Монитор узлов");
}

TEST_F(Window, ExitAndCloseRemoveTheIconAndEndWithZero)
{
    Load("checkinterval 5\ngroup G\n");
    Trap([&] { form.exit_Click(); });
    Trap([&] { form.Form_Close(); });
    EXPECT_EQ(services.log, (Strings{"RemoveTray", "End 0", "RemoveTray", "End 0"}));
}

TEST_F(Window, ChangeConfigWritesTheScriptAndStartsTheProgramOnTheChosenFile)
{
    Load("checkinterval 5\ngroup G\n");
    form.changeconfig_Click();  // cancelled
    EXPECT_TRUE(services.log.empty());
    EXPECT_EQ(view.asked.title, "Выберите другой конфиг");
    ASSERT_EQ(view.asked.filters.size(), 2u);
    EXPECT_EQ(view.asked.filters[0].description, "Конфиги Монитора(*.cfg)");
    EXPECT_EQ(view.asked.filters[1].description, "Все файлы (*.*)");
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
}

TEST_F(Window, CycleChecksHostsInFileOrderAndColoursThem)
{
    Load("checkinterval 5\ngroup G\nup a\n  down b\nnowhere c\n10.0.0.9 d\n");
    probe->addresses = {{"up", "10.0.0.1"}, {"down", "10.0.0.2"}, {"10.0.0.9", "10.0.0.9"}};
    probe->alive = {"10.0.0.1", "10.0.0.9"};
    probe->onPing = [&] { services.log.push_back("ping"); };
    form.Timer1_Timer();
    EXPECT_EQ(probe->calls, (Strings{"Resolve up", "Ping 10.0.0.1 1000 []", "Resolve down", "Ping 10.0.0.2 1000 []",
                                     "Resolve nowhere", "Resolve 10.0.0.9", "Ping 10.0.0.9 1000 []"}));
    EXPECT_EQ(view.colors, (std::map<int, std::uint32_t>{{1, 0x008000}, {2, 0x0000FF}, {3, 0x0000FF}, {4, 0x008000}}));
    EXPECT_EQ(services.Prompts(), Strings{"Что-то не так. Проверьте свой DNS. nowhere не резолвится"});
    // The status line is painted (the events run) before the first probe, and cleared after the last.
    const auto status = std::find(services.log.begin(), services.log.end(), "Status Перепроверяем...");
    const auto firstPing = std::find(services.log.begin(), services.log.end(), "ping");
    ASSERT_LT(status, firstPing);
    EXPECT_NE(std::find(status, firstPing, "DoEvents"), firstPing);
    EXPECT_EQ(services.log.back(), "Status ");
    // A host that stops answering turns red on the next cycle.
    probe->alive.clear();
    form.Timer1_Timer();
    EXPECT_EQ(view.colors[1], 0x0000FFu);
    EXPECT_EQ(form.State().TotalHosts, 4);
}

TEST_F(Window, ATickDuringARunningCycleStartsNoSecondCycle)
{
    Load("checkinterval 5\ngroup G\na\nb\n");
    probe->addresses = {{"b", "10.0.0.2"}};
    // The timer falls due again while the DNS message for "a" is open, and in each event pump.
    services.onMsgBox = [&] {
        EXPECT_TRUE(form.CycleRunning());
        form.Timer1_Timer();
    };
    services.onDoEvents = [&] { form.Timer1_Timer(); };
    form.Timer1_Timer();
    EXPECT_EQ(probe->calls, (Strings{"Resolve a", "Resolve b", "Ping 10.0.0.2 1000 []"}));
    EXPECT_FALSE(form.CycleRunning());
    services.onMsgBox = services.onDoEvents = nullptr;
    form.Timer1_Timer();
    EXPECT_EQ(probe->calls.size(), 6u);
}

TEST_F(Window, RefusedIcmpIsExplainedOncePerRun)
{
    struct Case {
        int32_t reason, status;
        bool explained;
    };
    for (const Case& c : {Case{2, EPERM, true}, Case{2, EACCES, true}, Case{2, EMFILE, false}, Case{3, 11010, false},
                          Case{4, EPERM, false}}) {
        Desk run;
        run.Load("checkinterval 5\ngroup G\n127.0.0.1\n127.0.0.2\n");
        run.probe->addresses = {{"127.0.0.1", "127.0.0.1"}, {"127.0.0.2", "127.0.0.2"}};
        run.probe->failReason = c.reason;
        run.probe->failStatus = c.status;
        run.form.Timer1_Timer();
        run.form.Timer1_Timer();
        const Strings expected = c.explained ? Strings{IcmpNotPermittedMessage()} : Strings{};
        EXPECT_EQ(run.services.Prompts(), expected) << c.reason << " " << c.status;
        EXPECT_EQ(run.view.colors[2], kDeadColor);
        EXPECT_EQ(run.probe->calls.size(), 8u);
    }
}

}  // namespace
}  // namespace orvane2
