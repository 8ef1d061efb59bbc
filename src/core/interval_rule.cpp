// SPDX-License-Identifier: MIT
#include "core/interval_rule.h"

#include <cfenv>
#include <charconv>
#include <cmath>

namespace orvane2 {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits with an optional sign and an optional "." fraction ("5", "+7.5", "-1.",
// ".5"); no exponents, no grouping, no blanks, no trailing letters.
bool IsPlainDecimal(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++intDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++fracDigits;
    }
    return i == text.size() && (intDigits > 0 || fracDigits > 0);
}

}  // namespace

std::optional<int> IntervalMilliseconds(std::string_view seconds)
{
    if (!IsPlainDecimal(seconds))
        return std::nullopt;
    if (seconds.front() == '+')
        seconds.remove_prefix(1);  // from_chars takes no plus sign
    double value = 0.0;
    const auto [end, error] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value);
    if (error != std::errc() || end != seconds.data() + seconds.size())
        return std::nullopt;
    if (!(value >= 5.0 && value <= 3600.0))
        return std::nullopt;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double ms = std::nearbyint(value * 1000.0);
    std::fesetround(previous);
    return static_cast<int>(ms);
}

}  // namespace orvane2
