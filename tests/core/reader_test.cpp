// SPDX-License-Identifier: MIT
#include "core/config_reader.h"
#include "core/config_records.h"
#include "core/config_text.h"
#include "core/interval_rule.h"
#include "core/utf8_text.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

using testing::FakeServices;
using testing::Strings;

struct Loaded {
    FormState state;
    FakeServices services;
};

std::unique_ptr<Loaded> Read(const std::string& file)
{
    auto loaded = std::make_unique<Loaded>();
    loaded->state.ConfigPath = "test.cfg";
    loaded->services.files["test.cfg"] = file;
    ReadConfiguration(loaded->state, loaded->services);  // a fake End throws: the test fails
    return loaded;
}

// The records of text cut into pieces of the given size.
Strings Split(std::string_view text, std::size_t piece)
{
    RecordSplitter splitter;
    Strings records;
    const RecordSplitter::Take take = [&](const std::string& record) { records.push_back(record); };
    for (std::size_t at = 0; at < text.size(); at += piece)
        splitter.Feed(text.substr(at, piece), take);
    splitter.Finish(take);
    return records;
}

TEST(Records, SplitLikeFreeFormatInputWhateverThePieces)
{
    const std::vector<std::pair<std::string, Strings>> cases = {
        {"a b\nc d\n", {"a b", "c d"}},
        {"a b\r\nc d\r\n", {"a b", "c d"}},
        {"a b\rc d", {"a b", "c d"}},
        {"a\n\n\r\n\rb", {"a", "", "", "", "b"}},
        {"10.0.0.1 gateway, second", {"10.0.0.1 gateway", "second"}},
        {"# one, two\n", {"# one", "two"}},
        {"   \t# note\n  host x", {"# note", "host x"}},
        {"host x  \n", {"host x  "}},
        {"\"group A, B\"\nh", {"group A, B", "h"}},
        {"\"a\nb\"\nc", {"a\nb", "c"}},
        {"\"a\" junk,b", {"a", "b"}},
        {"\"a\"\r\n\r\nb", {"a", "", "b"}},
        {"\"a, b\nc", {"a, b\nc"}},
        {"a\"b,c", {"a\"b", "c"}},
        {",\n,", {"", "", ""}},
        {"   \t ", {}},
        {"", {}},
    };
    for (const auto& [text, records] : cases)
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, text.size() + 1})
            EXPECT_EQ(Split(text, piece), records) << text << " in pieces of " << piece;
    // An endless line is kept up to the limit, in whole characters, and the next line is read.
    const std::string longLine = "x" + std::string(RecordSplitter::kMaxRecordBytes, 'y') + "\nz";
    std::string wide = "x", wider = "x";
    while (wide.size() + 2 <= RecordSplitter::kMaxRecordBytes)
        wide += "Ж";
    while (wider.size() <= 2 * RecordSplitter::kMaxRecordBytes)
        wider += "Ж";
    for (std::size_t piece : {std::size_t{7}, std::size_t{4096}}) {
        EXPECT_EQ(Split(longLine, piece), (Strings{"x" + std::string(RecordSplitter::kMaxRecordBytes - 1, 'y'), "z"}));
        EXPECT_EQ(Split(wider + "\n", piece), Strings{wide}) << "no character cut in two";
    }
}

// The text the reader takes from a file's bytes: UTF-8 when the whole file is, else
// Windows-1251, past a byte-order mark; whatever the pieces read, each piece taken is
// whole characters and no more than a few pieces read.
TEST(Reader, TakesUtf8WhenTheWholeFileIsElseWindows1251)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xEF\xBB\xBFgroup Сеть\n", "group Сеть\n"},  // UTF-8 after a byte-order mark
        {"group Сеть ёЁ", "group Сеть ёЁ"},            // and without one
        {"group \xD1\xE5\xF2\xFC \xB8\xA8", "group Сеть ёЁ"},
        {"\xEF\xBB\xBF\xD1", "С"},  // a mark before Windows-1251
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB", "п»"},                     // a mark cut short is text
        {"a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},     // a mark after the start is a character
        {"group Сеть\xFF", "group РЎРµС‚СЊя"},  // UTF-8 up to the last piece is not enough
        {"group \xD0", "group Р"},              // nor a character cut off at the end
        {"\xC0\xAF", "АЇ"},                     // an overlong form
        {"\xED\xA0\x80", "н\xC2\xA0Ђ"},         // a surrogate
        {"\xF4\x90\x80\x80", "фђЂЂ"},           // past U+10FFFF
        {"\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         "\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},  // U+0800, U+D7FF, U+10000, U+10FFFF
        {"\x98", "\xC2\x98"},  // undefined in Windows-1251: U+0098, as Windows has it
    };
    for (const auto& [bytes, text] : cases)
        for (const std::size_t size : {1, 2, 7, 4096}) {
            FakeServices services;
            services.files["a.cfg"] = bytes;
            services.pieceSize = size;
            std::string taken;
            EXPECT_TRUE(ReadConfigText(services, "a.cfg", [&](std::string_view piece) {
                EXPECT_EQ(WholeCharacters(piece), piece.size()) << "a piece cut a character";
                EXPECT_LE(piece.size(), 3 * (size + 3)) << "the file held whole";
                taken += piece;
            }));
            EXPECT_EQ(taken, text) << bytes << " in pieces of " << size;
        }
    FakeServices services;
    services.unreadable = {"a.cfg"};
    EXPECT_FALSE(ReadConfigText(services, "a.cfg", [](std::string_view) { ADD_FAILURE() << "read"; }));
}

struct BoardCase {
    std::string file;
    Strings groups, hosts, labels;
};

TEST(Reader, BuildsTheBoardFromRecords)
{
    const std::vector<BoardCase> cases = {
        {"# office\n\n   # note\r\ncheckinterval 30\ngroup Серверы и принтеры\n10.0.0.1 шлюз\nfs.local files\n"
         "printer\ngroup Branch\nbranch-router router\n",
         {"Серверы и принтеры", "Branch"},
         {"10.0.0.1", "fs.local", "printer", "branch-router"},
         {"шлюз", "files", "printer", "router"}},
        {"group  Lab\n10.0.0.1  gateway\n10.0.0.2 main gateway\nhost\tx y\nGroup A\nCHECKINTERVAL 5\ngroup\ngroup \n",
         {" Lab", "", ""},
         {"10.0.0.1", "10.0.0.2", "host\tx", "Group", "CHECKINTERVAL"},
         {"", "main", "y", "A", "5"}},
    };
    for (const BoardCase& c : cases) {
        const auto loaded = Read(c.file);
        EXPECT_TRUE(loaded->services.messages.empty()) << c.file;
        const Board& board = loaded->state.board;
        Strings groups, hosts, labels;
        for (std::size_t g = 1; g < board.Frame1.size(); ++g)
            groups.push_back(board.Frame1[g].caption);
        for (std::size_t i = 1; i < board.Label1.size(); ++i) {
            hosts.push_back(loaded->state.HostNames[i]);
            labels.push_back(board.Label1[i].caption);
        }
        EXPECT_EQ(groups, c.groups) << c.file;
        EXPECT_EQ(hosts, c.hosts) << c.file;
        EXPECT_EQ(labels, c.labels) << c.file;
    }
}

TEST(Reader, BoardLimitsSkipTheRestAndSayItOnce)
{
    std::string hosts = "group G\n";
    for (int i = 1; i <= kMaxHosts + 2; ++i)
        hosts.append("h").append(std::to_string(i)).append("\n");
    const auto full = Read(hosts);
    EXPECT_EQ(full->state.HostCount, kMaxHosts);
    EXPECT_EQ(full->state.HostNames[kMaxHosts], "h255");
    EXPECT_EQ(full->services.Prompts(), Strings{"В вашем конфиге больше 255 узлов. Узлы после 255-го не показаны"});

    std::string groups;
    for (int g = 1; g <= 40000; ++g)
        groups += "group g" + std::to_string(g) + (g == kMaxGroups + 1 ? "\nlost host\n" : "\n");
    const auto many = Read(groups + "host after\n");
    EXPECT_EQ(many->state.GroupCount, kMaxGroups);
    EXPECT_EQ(many->state.board.Frame1.back().caption, "g255");
    EXPECT_EQ(many->state.HostCount, 0);  // hosts of skipped groups are skipped with them
    EXPECT_EQ(many->services.Prompts(), Strings{"В вашем конфиге больше 255 групп. Группы после 255-й не показаны"});
}

TEST(IntervalRule, PlainNumbersFromFiveToThreeThousandSixHundredSeconds)
{
    const std::vector<std::pair<std::string, std::optional<int>>> cases = {
        {"5", 5000},      {"3600", 3600000}, {"7.5", 7500},
        {"007", 7000},    {"+10", 10000},    {"10.", 10000},
        {".5e1", {}},     {"4", {}},         {"3601", {}},
        {"4.9999", {}},   {"3600.0001", {}}, {"-10", {}},
        {"5.0625", 5062}, {"5.1875", 5188},  {"5.0006", 5001},  // ties go to the even millisecond
        {"60s", {}},      {"", {}},          {"+", {}},
        {".", {}},        {"1e2", {}},       {"1,000", {}},
        {" 60", {}},      {"60\t", {}},      {"99999999999999999999999", {}},
        {"nan", {}},      {"inf", {}},       {"١٠", {}},
    };
    for (const auto& [word, ms] : cases)
        EXPECT_EQ(IntervalMilliseconds(word), ms) << word;
}

TEST(Reader, IntervalRecordsSetTheTimerOrFallBackAfterAMessage)
{
    const std::vector<std::tuple<std::string, int, std::size_t>> cases = {
        {"group G\n", kDesignTimerInterval, 0},
        {"checkinterval 5\n", 5000, 0},
        {"checkinterval 60s\n", 60000, 1},
        {"checkinterval\n", 60000, 1},
        {"checkinterval 10\ncheckinterval 4\n", 60000, 1},
        {"checkinterval 4\ncheckinterval 3601\ncheckinterval 15\n", 15000, 2},
        {"checkinterval  30\n", 60000, 1},
    };
    for (const auto& [file, ms, messages] : cases) {
        const auto loaded = Read(file);
        EXPECT_EQ(loaded->state.Timer1Interval, ms) << file;
        EXPECT_EQ(loaded->services.Prompts(), Strings(messages, BadIntervalMessage())) << file;
    }
}

}  // namespace
}  // namespace orvane2
