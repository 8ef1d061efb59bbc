// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane2 {

// Cuts configuration text (UTF-8), given piece by piece, into records the way free-format
// field input reads them:
// - a record ends at CR, LF, CR LF or a comma;
// - blanks (spaces and tabs) before a record are skipped;
// - a record that begins with a double quote runs to the next double quote, without
//   the quotes; whatever follows the closing quote up to the end of the record is dropped;
// - an empty line yields an empty record.
// A record keeps at most kMaxRecordBytes (whole characters); the rest of it is dropped, so
// that no input, however long its lines, is ever held whole.
class RecordSplitter {
public:
    static constexpr std::size_t kMaxRecordBytes = 65536;
    using Take = std::function<void(const std::string&)>;

    // Cuts the next piece of the text; each record it completes goes to take, in order.
    void Feed(std::string_view piece, const Take& take);
    // The end of the text: a record still open goes to take.
    void Finish(const Take& take);

private:
    enum class Mode { BeforeRecord, Plain, Quoted, AfterQuote, AfterCr };
    void Append(std::string_view text);
    void Emit(const Take& take);

    Mode mode_ = Mode::BeforeRecord;
    std::string record_;
    bool cut_ = false;  // the record was longer than kMaxRecordBytes
};

// The record's words: the text split at every single space, so that two spaces in a
// row leave an empty word between them.
std::vector<std::string> SplitWords(std::string_view record);

}  // namespace orvane2
