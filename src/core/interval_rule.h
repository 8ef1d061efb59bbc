// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

namespace orvane2 {

inline constexpr int kDefaultIntervalMs = 60000;

// The check interval in milliseconds that a "checkinterval" value stands for: a plain
// decimal number of seconds ("30", "7.5", "+10"), from 5 to 3600 inclusive, times 1000
// rounded to nearest with ties to even. Nothing when the text is not such a number or
// lies outside the range.
std::optional<int> IntervalMilliseconds(std::string_view seconds);

}  // namespace orvane2
