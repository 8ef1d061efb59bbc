// SPDX-License-Identifier: MIT
#include "core/config_records.h"

#include "core/utf8_text.h"

#include <algorithm>

namespace orvane2 {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the record under way ends in the piece: at a comma, CR or LF, or at the piece's
// end. Every delimiter is ASCII, and no byte of a multi-byte UTF-8 sequence is ASCII, so
// the text can be cut byte by byte. (A plain loop: find_first_of searches the set of
// delimiters anew for every byte.)
std::size_t FindRecordEnd(std::string_view piece, std::size_t pos)
{
    while (pos < piece.size() && piece[pos] != ',' && piece[pos] != '\r' && piece[pos] != '\n')
        ++pos;
    return pos;
}

}  // namespace

void RecordSplitter::Append(std::string_view text)
{
    const std::size_t room = kMaxRecordBytes - record_.size();
    cut_ = cut_ || text.size() > room;
    record_.append(text.substr(0, room));
}

void RecordSplitter::Emit(const Take& take)
{
    if (cut_)
        record_.resize(WholeCharacters(record_));
    take(record_);
    record_.clear();
    cut_ = false;
}

void RecordSplitter::Feed(std::string_view piece, const Take& take)
{
    std::size_t pos = 0;
    while (pos < piece.size()) {
        const char c = piece[pos];
        switch (mode_) {
            case Mode::AfterCr:  // CR LF ends one record, not two
                mode_ = Mode::BeforeRecord;
                if (c == '\n')
                    ++pos;
                break;
            case Mode::BeforeRecord:
                if (IsBlank(c)) {
                    ++pos;
                } else if (c == '"') {
                    mode_ = Mode::Quoted;
                    ++pos;
                } else {
                    mode_ = Mode::Plain;  // a record end here ends an empty record
                }
                break;
            case Mode::Plain: {
                const std::size_t end = FindRecordEnd(piece, pos);
                Append(piece.substr(pos, end - pos));
                pos = end;
                if (pos < piece.size()) {
                    Emit(take);
                    mode_ = piece[pos++] == '\r' ? Mode::AfterCr : Mode::BeforeRecord;
                }
                break;
            }
            case Mode::Quoted: {
                const std::size_t close = std::min(piece.find('"', pos), piece.size());
                Append(piece.substr(pos, close - pos));
                pos = close;
                if (pos < piece.size()) {
                    Emit(take);
                    mode_ = Mode::AfterQuote;
                    ++pos;
                }
                break;
            }
            case Mode::AfterQuote: {  // text after the closing quote is dropped
                pos = FindRecordEnd(piece, pos);
                if (pos < piece.size())
                    mode_ = piece[pos++] == '\r' ? Mode::AfterCr : Mode::BeforeRecord;
                break;
            }
        }
    }
}

void RecordSplitter::Finish(const Take& take)
{
    // Trailing blanks hold no record; an open quote runs to the end of the text.
    if (mode_ == Mode::Plain || mode_ == Mode::Quoted)
        Emit(take);
    mode_ = Mode::BeforeRecord;
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
