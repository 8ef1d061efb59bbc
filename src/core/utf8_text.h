// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace orvane2 {

// The length of UTF-8 text without a character cut off at its end: a lead byte whose
// sequence the text does not complete is left out with its continuation bytes. Anything
// else, valid or not, counts in full. Used to cut text into pieces that never split a
// character.
std::size_t WholeCharacters(std::string_view text);

}  // namespace orvane2
