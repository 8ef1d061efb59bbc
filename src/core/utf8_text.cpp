// SPDX-License-Identifier: MIT
#include "core/utf8_text.h"

namespace orvane2 {

std::size_t WholeCharacters(std::string_view text)
{
    std::size_t start = text.size();
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;  // back over continuation bytes to the lead byte
    if (start == 0)
        return text.size();
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    const std::size_t length = lead < 0xC0 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return text.size() - (start - 1) >= length ? text.size() : start - 1;
}

}  // namespace orvane2
