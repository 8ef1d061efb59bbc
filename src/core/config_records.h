// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane2 {

// Splits the configuration text (UTF-8) into records the way free-format field input
// reads them:
// - a record ends at CR, LF, CR LF or a comma;
// - blanks (spaces and tabs) before a record are skipped;
// - a record that begins with a double quote runs to the next double quote, without
//   the quotes; whatever follows the closing quote up to the end of the record is dropped;
// - an empty line yields an empty record.
std::vector<std::string> SplitConfigRecords(std::string_view text);

// The record's words: the text split at every single space, so that two spaces in a
// row leave an empty word between them.
std::vector<std::string> SplitWords(std::string_view record);

}  // namespace orvane2
