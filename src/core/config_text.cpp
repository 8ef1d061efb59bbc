// SPDX-License-Identifier: MIT
#include "core/config_text.h"

#include "core/utf8_text.h"

#include <algorithm>

namespace orvane2 {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Windows-1251's upper half, from 0x80 on, in Unicode.
constexpr char16_t kWindows1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 0xC8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 0xD0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 0xD8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // 0xE0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // 0xE8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // 0xF0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // 0xF8
};

// Checks text for UTF-8 piece by piece, a sequence cut off at the end of one piece going
// on in the next. Only Unicode's well-formed sequences pass: no overlong form, no
// surrogate, nothing past U+10FFFF.
class Utf8Check {
public:
    // False at the first byte that cannot be UTF-8 here.
    bool Feed(std::string_view piece)
    {
        for (const char c : piece) {
            const auto byte = static_cast<unsigned char>(c);
            if (due_ > 0) {
                if (byte < low_ || byte > high_)
                    return false;
                --due_, low_ = 0x80, high_ = 0xBF;
            } else if (byte >= 0x80) {
                if (byte < 0xC2 || byte > 0xF4)
                    return false;
                due_ = byte < 0xE0 ? 1 : byte < 0xF0 ? 2 : 3;
                low_ = byte == 0xE0 ? 0xA0 : byte == 0xF0 ? 0x90 : 0x80;
                high_ = byte == 0xED ? 0x9F : byte == 0xF4 ? 0x8F : 0xBF;
            }
        }
        return true;
    }
    // Whether the text fed so far ends on a whole character.
    bool AtWholeCharacter() const { return due_ == 0; }

private:
    int due_ = 0;                             // continuation bytes still to come
    unsigned char low_ = 0x80, high_ = 0xBF;  // the range the next of them must lie in
};

// Hands handle the file's bytes as ReadBytes reads them, past a leading byte-order mark
// (which may itself come cut into pieces), until the end or until handle says stop; false
// when reading fails.
bool ReadPastMark(FormServices& services, const std::string& path, const std::function<bool(std::string_view)>& handle)
{
    std::string head;  // the file's first bytes, until there are enough to tell the mark
    const bool read = services.ReadBytes(path, [&](std::string_view piece) {
        if (head.size() < kByteOrderMark.size()) {
            const std::size_t part = std::min(piece.size(), kByteOrderMark.size() - head.size());
            head.append(piece.substr(0, part));
            piece.remove_prefix(part);
            if (head.size() < kByteOrderMark.size())
                return true;
            if (head != kByteOrderMark && !handle(head))
                return false;
        }
        return piece.empty() || handle(piece);
    });
    if (read && !head.empty() && head.size() < kByteOrderMark.size())
        handle(head);  // a file shorter than the mark
    return read;
}

}  // namespace

std::string Windows1251AsUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(2 * bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t point = byte < 0x80 ? byte : kWindows1251[byte - 0x80];
        if (point < 0x80) {
            utf8 += static_cast<char>(point);
        } else if (point < 0x800) {
            utf8 += static_cast<char>(0xC0 | point >> 6);
            utf8 += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | point >> 12);
            utf8 += static_cast<char>(0x80 | (point >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return utf8;
}

bool ReadConfigText(FormServices& services, const std::string& path, const std::function<void(std::string_view)>& take)
{
    Utf8Check check;
    bool utf8 = true;
    if (!ReadPastMark(services, path, [&](std::string_view piece) { return utf8 = check.Feed(piece); }))
        return false;
    if (!utf8 || !check.AtWholeCharacter()) {
        return ReadPastMark(services, path, [&](std::string_view piece) {
            take(Windows1251AsUtf8(piece));
            return true;
        });
    }
    // Each piece goes over up to its last whole character; the rest is carried into the
    // next. What is carried at the end (only when the file changed between the two
    // passes) is dropped, so that take still sees nothing but whole characters.
    std::string carried;
    return ReadPastMark(services, path, [&](std::string_view piece) {
        carried.append(piece);
        const std::size_t whole = WholeCharacters(carried);
        take(std::string_view(carried).substr(0, whole));
        carried.erase(0, whole);
        return true;
    });
}

}  // namespace orvane2
