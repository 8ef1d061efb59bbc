// SPDX-License-Identifier: MIT
#include "core/tray_report.h"
#include "core/tray_mark.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace orvane2 {
namespace {

// One host's state a letter: A answered, N no answer, U name unresolved, P no ICMP
// permitted, - not checked.
std::vector<WatchedHost> Hosts(const std::vector<std::pair<std::string, std::string>>& names, const std::string& states)
{
    std::vector<WatchedHost> hosts;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const char c = states.at(i);
        const HostState state = c == 'A'   ? HostState::Answered
                                : c == 'N' ? HostState::NoAnswer
                                : c == 'U' ? HostState::Unresolved
                                : c == 'P' ? HostState::NotPermitted
                                           : HostState::NotChecked;
        hosts.push_back({names[i].first, names[i].second, state});
    }
    return hosts;
}

const char* const kFirstLine = "Монитор узлов активен";

TEST(TrayReport, TellsEachChangeOnceAndALostEchoOnlyThroughTheMark)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"gw", "10.0.0.1"}, {"srv", "srv"}, {"nas", "nas.lan"}};
    struct Cycle {
        std::string states;
        TrayMark mark;
        std::string secondLine, notice;  // "" for none
        bool someSilent;
    };
    const std::vector<Cycle> cycles = {
        {"NAA", TrayMark::SomeSilent, "Не отвечают: 1 из 3", "", false},  // the first check is no news
        {"AAA", TrayMark::AllAnswer, "Все 3 отвечают", "gw (10.0.0.1) отвечает", false},
        {"AAA", TrayMark::AllAnswer, "Все 3 отвечают", "", false},
        {"NAA", TrayMark::SomeSilent, "Не отвечают: 1 из 3", "", false},  // one lost echo
        {"AAA", TrayMark::AllAnswer, "Все 3 отвечают", "", false},
        {"NAU", TrayMark::SomeSilent, "Не отвечают: 2 из 3", "", false},
        {"NAU", TrayMark::SomeSilent, "Не отвечают: 2 из 3", "gw (10.0.0.1) не отвечает\nnas (nas.lan) не отвечает",
         true},
        {"NNU", TrayMark::SomeSilent, "Не отвечают: 3 из 3", "", false},
        {"ANA", TrayMark::SomeSilent, "Не отвечают: 1 из 3",
         "gw (10.0.0.1) отвечает\nsrv не отвечает\nnas (nas.lan) отвечает", true},
        {"-PA", TrayMark::SomeSilent, "Не отвечают: 1 из 3", "", false},  // not checked: left out
        {"APA", TrayMark::SomeSilent, "Не отвечают: 1 из 3", "", false},
    };
    TrayReport report;
    EXPECT_EQ(report.Look().mark, TrayMark::None);
    EXPECT_EQ(report.Look().toolTip, kFirstLine);
    int n = 0;
    for (const Cycle& c : cycles) {
        const std::optional<HostNotice> notice = report.CycleFinished(Hosts(names, c.states));
        ++n;
        EXPECT_EQ(report.Look().mark, c.mark) << "cycle " << n;
        EXPECT_EQ(report.Look().toolTip, std::string(kFirstLine) + "\n" + c.secondLine) << "cycle " << n;
        EXPECT_EQ(notice ? notice->text : "", c.notice) << "cycle " << n;
        if (notice) {
            EXPECT_EQ(notice->title, "Монитор узлов");
            EXPECT_EQ(notice->someSilent, c.someSilent) << "cycle " << n;
        }
    }
    // A board without hosts has nothing to tell.
    TrayReport empty;
    EXPECT_FALSE(empty.CycleFinished({}));
    EXPECT_EQ(empty.Look().toolTip, kFirstLine);
    EXPECT_EQ(empty.Look().mark, TrayMark::None);
}

// A notification names at most five lines; past that the last counts the rest, in Russian.
TEST(TrayReport, ALongListEndsWithHowManyMore)
{
    const std::vector<std::pair<int, std::string>> cases = {{5, "h5 не отвечает"},
                                                            {6, "и ещё 2 узла"},
                                                            {9, "и ещё 5 узлов"},
                                                            {15, "и ещё 11 узлов"},
                                                            {25, "и ещё 21 узел"}};
    for (const auto& [count, last] : cases) {
        std::vector<std::pair<std::string, std::string>> names;
        for (int i = 1; i <= count; ++i)
            names.push_back({"h" + std::to_string(i), "h" + std::to_string(i)});
        TrayReport report;
        report.CycleFinished(Hosts(names, std::string(count, 'A')));
        EXPECT_FALSE(report.CycleFinished(Hosts(names, std::string(count, 'N'))));
        const std::optional<HostNotice> notice = report.CycleFinished(Hosts(names, std::string(count, 'N')));
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->text.substr(0, notice->text.find('\n')), "h1 не отвечает");
        EXPECT_EQ(std::count(notice->text.begin(), notice->text.end(), '\n'), 4) << count;
        EXPECT_EQ(notice->text.substr(notice->text.rfind('\n') + 1), last) << count;
    }
}

// The mark lies whole within the icon, in its lower right corner, its white ring at least
// a pixel wide round a core of the mark's colour, at every side a tray asks for.
TEST(TrayMark, TheDiscLiesInTheLowerRightCornerWithAVisibleRing)
{
    EXPECT_FALSE(MarkFor(TrayMark::None, 16));
    for (const int side : {8, 16, 22, 32, 48, 64})
        for (const auto& [mark, rgb] : {std::pair{TrayMark::SomeSilent, 0xE61414u}, {TrayMark::AllAnswer, 0x28C83Cu}}) {
            const std::optional<MarkGeometry> m = MarkFor(mark, side);
            ASSERT_TRUE(m) << side;
            EXPECT_DOUBLE_EQ(m->centreX + m->outerRadius, side) << side;
            EXPECT_DOUBLE_EQ(m->centreY + m->outerRadius, side) << side;
            EXPECT_GE(m->centreX - m->outerRadius, 0) << side;
            EXPECT_GE(m->outerRadius - m->innerRadius, 1) << side;
            EXPECT_GE(m->innerRadius, side / 8.0) << side;
            EXPECT_EQ(m->ringRgb, 0xFFFFFFu);
            EXPECT_EQ(m->markRgb, rgb);
        }
}

}  // namespace
}  // namespace orvane2
