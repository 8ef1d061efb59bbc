// SPDX-License-Identifier: MIT
#include "core/config_records.h"

namespace orvane2 {

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Consumes the record end at pos (a comma, CR, LF or CR LF); returns the new position.
std::size_t SkipRecordEnd(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return pos;
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
        return pos + 2;
    return pos + 1;
}

std::size_t FindRecordEnd(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && text[pos] != ',' && !IsLineEnd(text[pos]))
        ++pos;
    return pos;
}

}  // namespace

// Every delimiter is ASCII, and no byte of a multi-byte UTF-8 sequence is ASCII, so
// the text can be split byte by byte.
std::vector<std::string> SplitConfigRecords(std::string_view text)
{
    std::vector<std::string> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos == text.size())
            break;  // trailing blanks hold no record
        if (text[pos] == '"') {
            const std::size_t close = text.find('"', pos + 1);
            if (close == std::string_view::npos) {
                records.emplace_back(text.substr(pos + 1));
                break;
            }
            records.emplace_back(text.substr(pos + 1, close - pos - 1));
            pos = SkipRecordEnd(text, FindRecordEnd(text, close + 1));
            continue;
        }
        const std::size_t end = FindRecordEnd(text, pos);
        records.emplace_back(text.substr(pos, end - pos));
        pos = SkipRecordEnd(text, end);
    }
    return records;
}

std::vector<std::string> SplitWords(std::string_view record)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = record.find(' ', start);
        words.emplace_back(record.substr(start, space == std::string_view::npos ? space : space - start));
        if (space == std::string_view::npos)
            return words;
        start = space + 1;
    }
}

}  // namespace orvane2
