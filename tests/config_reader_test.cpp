#include "core/config_reader.h"
#include "core/interval_rule.h"
#include "support/recording_form_services.h"

#include "support/test_names.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

using testing::ProgramEnded;
using testing::RecordingFormServices;

struct Loaded {
    FormState state;
    RecordingFormServices services;
    std::optional<int> endedWith;
};

std::unique_ptr<Loaded> Read(const QByteArray& file)
{
    auto loaded = std::make_unique<Loaded>();
    loaded->state.ConfigPath = QStringLiteral("test.cfg");
    loaded->services.files[loaded->state.ConfigPath] = file;
    try {
        ReadConfiguration(loaded->state, loaded->services);
    } catch (const ProgramEnded& e) {
        loaded->endedWith = e.exitCode;
    }
    return loaded;
}

QStringList Captions(const Board& board)
{
    QStringList captions;
    for (std::size_t i = 1; i < board.Label1.size(); ++i)
        captions.append(board.Label1[i].caption);
    return captions;
}

QStringList GroupCaptions(const Board& board)
{
    QStringList captions;
    for (std::size_t g = 1; g < board.Frame1.size(); ++g)
        captions.append(board.Frame1[g].caption);
    return captions;
}

QStringList HostNames(const FormState& state)
{
    QStringList names;
    for (int i = 1; i <= state.HostCount; ++i)
        names.append(state.HostNames[i]);
    return names;
}

struct ClassifyCase {
    const char* name;
    const char* file;
    QStringList groups;
    QStringList hosts;
    QStringList labels;
};

class Classification : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classification, BuildsTheBoard)
{
    const ClassifyCase& c = GetParam();
    const auto loaded = Read(c.file);
    ASSERT_FALSE(loaded->endedWith) << c.name;
    EXPECT_TRUE(loaded->services.messages.empty()) << c.name;
    EXPECT_EQ(GroupCaptions(loaded->state.board), c.groups) << c.name;
    EXPECT_EQ(HostNames(loaded->state), c.hosts) << c.name;
    EXPECT_EQ(Captions(loaded->state.board), c.labels) << c.name;
    EXPECT_EQ(loaded->state.GroupCount, c.groups.size());
}

INSTANTIATE_TEST_SUITE_P(
    Records, Classification,
    ::testing::Values(
        ClassifyCase{"office example",
                     "# office\ncheckinterval 30\ngroup Servers and printers\n10.0.0.1 gateway\n"
                     "fileserver.local files\ngroup Branch\nbranch-router router\n",
                     {"Servers and printers", "Branch"},
                     {"10.0.0.1", "fileserver.local", "branch-router"},
                     {"gateway", "files", "router"}},
        ClassifyCase{"only comments and blanks", "# a\n\n   # b\r\n\r\n", {}, {}, {}},
        ClassifyCase{"two spaces before a group caption", "group  Lab\n", {" Lab"}, {}, {}},
        ClassifyCase{"two spaces give an empty label", "group G\n10.0.0.1  gateway\n", {"G"}, {"10.0.0.1"}, {""}},
        ClassifyCase{"label is the second word only", "group G\n10.0.0.1 main gateway\n", {"G"}, {"10.0.0.1"}, {"main"}},
        ClassifyCase{"host without a label shows its name", "group G\n10.0.0.1 gateway, second\n", {"G"},
                     {"10.0.0.1", "second"}, {"gateway", "second"}},
        ClassifyCase{"keys are case-sensitive", "group G\nGroup A\nCHECKINTERVAL 5\n", {"G"},
                     {"Group", "CHECKINTERVAL"}, {"A", "5"}},
        ClassifyCase{"bare group has an empty caption", "group\ngroup \n", {"", ""}, {}, {}},
        ClassifyCase{"a tab does not split words", "group G\nhost\tx y\n", {"G"}, {"host\tx"}, {"y"}},
        ClassifyCase{"group caption keeps commas when quoted", "\"group A, B\"\nh l\n", {"A, B"}, {"h"}, {"l"}},
        ClassifyCase{"cyrillic captions", "group Серверы\nsrv сервер\n", {"Серверы"}, {"srv"}, {"сервер"}},
        ClassifyCase{"windows-1251 file", "group \xD1\xE5\xF0\xE2\xE5\xF0\xFB\nsrv x\n", {"Серверы"}, {"srv"},
                     {"x"}}),
    [](const auto& p) { return testing::TestName(p.param.name); });

TEST(Reader, HostBeforeAnyGroupEndsTheProgramAfterItsMessage)
{
    const auto loaded = Read("checkinterval 30\n10.0.0.1 gateway\ngroup G\n");
    EXPECT_EQ(loaded->endedWith, 1);
    EXPECT_EQ(loaded->services.Prompts(), QStringList{NoGroupMessage()});
    EXPECT_EQ(loaded->services.messages[0].title, QStringLiteral("Orvane2"));
    EXPECT_EQ(loaded->services.messages[0].style, vbOKOnly);
    EXPECT_EQ(loaded->state.GroupCount, 0);
    EXPECT_TRUE(NoGroupMessage().contains(QStringLiteral("vantor2.cfg")));
}

struct IntervalCase {
    const char* word;
    std::optional<int> ms;
};

class IntervalRule : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(IntervalRule, AcceptsPlainNumbersFromFiveToThreeThousandSixHundred)
{
    EXPECT_EQ(IntervalMilliseconds(QString::fromUtf8(GetParam().word)), GetParam().ms) << GetParam().word;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IntervalRule,
    ::testing::Values(IntervalCase{"5", 5000}, IntervalCase{"3600", 3600000}, IntervalCase{"30", 30000},
                      IntervalCase{"4", {}}, IntervalCase{"3601", {}}, IntervalCase{"4.9999", {}},
                      IntervalCase{"3600.0001", {}}, IntervalCase{"60s", {}}, IntervalCase{"", {}},
                      IntervalCase{"abc", {}}, IntervalCase{"7.5", 7500}, IntervalCase{"007", 7000},
                      IntervalCase{"+10", 10000}, IntervalCase{"-10", {}}, IntervalCase{"10.", 10000},
                      // ties go to the even millisecond
                      IntervalCase{"5.0625", 5062}, IntervalCase{"5.1875", 5188}, IntervalCase{"5.0004", 5000},
                      IntervalCase{"5.0006", 5001}, IntervalCase{"1e2", {}}, IntervalCase{"1,000", {}},
                      IntervalCase{"60,5", {}}, IntervalCase{" 60", {}}, IntervalCase{"60\t", {}},
                      IntervalCase{"99999999999999999999999", {}}, IntervalCase{"nan", {}},
                      IntervalCase{"inf", {}}, IntervalCase{"١٠", {}}));

struct IntervalFileCase {
    const char* file;
    int ms;
    int messages;
};

class IntervalRecords : public ::testing::TestWithParam<IntervalFileCase> {};

TEST_P(IntervalRecords, SetTheTimerOrShowTheMessage)
{
    const auto loaded = Read(GetParam().file);
    ASSERT_FALSE(loaded->endedWith);
    EXPECT_EQ(loaded->state.Timer1Interval, GetParam().ms) << GetParam().file;
    EXPECT_EQ(loaded->services.messages.size(), std::size_t(GetParam().messages)) << GetParam().file;
    for (const auto& m : loaded->services.messages)
        EXPECT_EQ(m.prompt, BadIntervalMessage());
}

INSTANTIATE_TEST_SUITE_P(
    Files, IntervalRecords,
    ::testing::Values(IntervalFileCase{"group G\n", kDesignTimerInterval, 0},
                      IntervalFileCase{"checkinterval 5\n", 5000, 0},
                      IntervalFileCase{"checkinterval 60s\n", 60000, 1},
                      IntervalFileCase{"checkinterval\n", 60000, 1},
                      IntervalFileCase{"checkinterval 10\ncheckinterval 20\n", 20000, 0},
                      IntervalFileCase{"checkinterval 10\ncheckinterval 4\n", 60000, 1},
                      IntervalFileCase{"checkinterval 4\ncheckinterval 3601\ncheckinterval 15\n", 15000, 2},
                      IntervalFileCase{"checkinterval  30\n", 60000, 1}));

TEST(Reader, HostsPastTheLimitAreSkippedAndReportedOnce)
{
    QByteArray file = "group G\n";
    for (int i = 1; i <= 300; ++i)
        file += "10.0.0." + QByteArray::number(i) + " h" + QByteArray::number(i) + "\n";
    file += "group After\nlast x\n";
    const auto loaded = Read(file);
    ASSERT_FALSE(loaded->endedWith);
    EXPECT_EQ(loaded->services.Prompts(), QStringList{TooManyHostsMessage()});
    EXPECT_TRUE(TooManyHostsMessage().contains(QStringLiteral("255")));
    EXPECT_EQ(loaded->state.HostCount, kMaxHosts);
    EXPECT_EQ(loaded->state.board.Label1.size(), std::size_t(kMaxHosts + 1));
    EXPECT_EQ(loaded->state.HostNames[255], QStringLiteral("10.0.0.255"));
    EXPECT_EQ(loaded->state.board.Label1[255].caption, QStringLiteral("h255"));
    EXPECT_EQ(loaded->state.GroupCount, 2);  // the group record after the limit still counts
    // The first box ends under its last label.
    EXPECT_EQ(loaded->state.board.Frame1[1].rect.height, 240 + 254 * 255 + 375);
}

TEST(Reader, GroupsPastTheCounterLimitAreSkippedWithoutFailing)
{
    QByteArray file;
    for (int g = 0; g < kMaxGroups + 5; ++g)
        file += "group g\n";
    file += "host label\n";
    const auto loaded = Read(file);
    ASSERT_FALSE(loaded->endedWith);
    EXPECT_TRUE(loaded->services.messages.empty());
    EXPECT_EQ(loaded->state.GroupCount, kMaxGroups);
    ASSERT_EQ(loaded->state.board.Frame1.size(), std::size_t(kMaxGroups + 1));
    EXPECT_EQ(loaded->state.board.Label1[1].container, kMaxGroups);
    EXPECT_EQ(loaded->state.board.Frame1[kMaxGroups].rect.top, 120 + (kMaxGroups - 1) * (375 + 100));
}

TEST(Reader, UnreadableFileEndsTheProgramWithAMessageNamingIt)
{
    FormState state;
    RecordingFormServices services;
    state.ConfigPath = QStringLiteral("locked.cfg");
    services.files[state.ConfigPath] = "group G\n";
    services.unreadable.append(state.ConfigPath);
    EXPECT_THROW(ReadConfiguration(state, services), ProgramEnded);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].prompt.contains(QStringLiteral("locked.cfg")));
}

}  // namespace
}  // namespace orvane2
