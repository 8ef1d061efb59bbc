#include "core/config_text.h"

#include "support/test_names.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

namespace orvane2 {
namespace {

struct RecordCase {
    const char* name;
    const char* text;  // UTF-8
    QStringList records;
};

class RecordSplitting : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordSplitting, YieldsTheRecordsInOrder)
{
    const RecordCase& c = GetParam();
    EXPECT_EQ(SplitConfigRecords(QString::fromUtf8(c.text)), c.records) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordSplitting,
    ::testing::Values(
        RecordCase{"lf", "a b\nc d\n", {"a b", "c d"}},
        RecordCase{"crlf", "a b\r\nc d\r\n", {"a b", "c d"}},
        RecordCase{"bare cr", "a b\rc d", {"a b", "c d"}},
        RecordCase{"no final line end", "a\nb", {"a", "b"}},
        RecordCase{"empty lines give empty records", "a\n\n\r\n\rb", {"a", "", "", "", "b"}},
        RecordCase{"comma ends a record", "10.0.0.1 gateway, second", {"10.0.0.1 gateway", "second"}},
        RecordCase{"comma inside a comment", "# one, two\n", {"# one", "two"}},
        RecordCase{"leading blanks skipped", "   \t# note\n  host x", {"# note", "host x"}},
        RecordCase{"trailing blanks kept", "host x  \n", {"host x  "}},
        RecordCase{"double spaces kept", "group  Lab\n", {"group  Lab"}},
        RecordCase{"quoted record keeps comma", "\"group A, B\"\nh", {"group A, B", "h"}},
        RecordCase{"quoted record spans lines", "\"a\nb\"\nc", {"a\nb", "c"}},
        RecordCase{"text after closing quote dropped", "\"a\" junk,b", {"a", "b"}},
        RecordCase{"unterminated quote runs to the end", "\"a, b\nc", {"a, b\nc"}},
        RecordCase{"quote inside a record is plain", "a\"b,c", {"a\"b", "c"}},
        RecordCase{"only blanks", "   \t ", {}},
        RecordCase{"empty file", "", {}}),
    [](const auto& p) { return testing::TestName(p.param.name); });

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class Decoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, ReadsTheFileInItsEncoding)
{
    EXPECT_EQ(DecodeConfigText(GetParam().bytes), GetParam().text) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Decoding,
    ::testing::Values(
        DecodeCase{"ascii", "group A\n", QStringLiteral("group A\n")},
        DecodeCase{"utf8", "group \xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8B",
                   QString::fromUtf8("group Серверы")},
        DecodeCase{"utf8 with bom", "\xEF\xBB\xBFgroup A", QStringLiteral("group A")},
        DecodeCase{"bom only", "\xEF\xBB\xBF", QString()},
        DecodeCase{"windows1251", "group \xD1\xE5\xF0\xE2\xE5\xF0\xFB \xB8\xA8",
                   QString::fromUtf8("group Серверы ёЁ")},
        DecodeCase{"bom after the start is a character", "a\xEF\xBB\xBF", QString::fromUtf8("a\uFEFF")}),
    [](const auto& p) { return testing::TestName(p.param.name); });

TEST(Decoding, BomDoesNotBecomePartOfTheFirstRecord)
{
    const QStringList records = SplitConfigRecords(DecodeConfigText("\xEF\xBB\xBFgroup A\r\nh x\r\n"));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], QStringLiteral("group A"));
}

TEST(RecordSplitting, AMillionRandomBytesNeitherCrashNorHang)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(1'000'000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(byte(random));

    const QString text = DecodeConfigText(bytes);
    const QStringList records = SplitConfigRecords(text);
    // Random bytes are not UTF-8, so each byte becomes one character; the records
    // and their separators account for all of them.
    EXPECT_EQ(text.size(), bytes.size());
    EXPECT_GT(records.size(), 1000);
    qsizetype kept = 0;
    for (const QString& r : records)
        kept += r.size();
    EXPECT_LT(kept, text.size());
}

}  // namespace
}  // namespace orvane2
