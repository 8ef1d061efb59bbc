// SPDX-License-Identifier: MIT
// libFuzzer target for the configuration reader: the input is the configuration file's
// bytes. They are read as start-up reads them, handed over in pieces whose size the
// input's length picks, decoded, on a fresh window state, and the window sized. Besides
// the sanitizers' checks, the text and the board must keep the invariants below; a
// violation aborts, so libFuzzer reports the input as a crash.
#include "../tests/core/fakes.h"
#include "core/board_layout.h"
#include "core/config_reader.h"
#include "core/config_text.h"
#include "core/interval_rule.h"
#include "core/utf8_text.h"

#include <bit>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "config_reader_fuzz: invariant violated: %s\n", what);
        std::abort();
    }
}

// Whether text is UTF-8 as Unicode defines it, told code point by code point: no overlong
// form, no surrogate, nothing past U+10FFFF.
bool IsUtf8(std::string_view text)
{
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // by sequence length
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const int ones = std::countl_one(lead);  // 0 for ASCII, 1 for a continuation byte
        const std::size_t length = ones == 0 ? 1 : static_cast<std::size_t>(ones);
        if (ones == 1 || ones > 4 || text.size() - at < length)
            return false;
        char32_t point = lead & (0xFF >> (ones + 1));
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3F);
        }
        if (point < kLeast[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane2;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<int> ms = IntervalMilliseconds(text))
        Require(*ms >= 5000 && *ms <= 3600000, "interval outside 5 to 3600 seconds");

    FormState state;
    state.ConfigPath = "fuzz.cfg";
    testing::FakeServices services;
    services.files[state.ConfigPath] = text;
    services.pieceSize = 1 + size % 64;

    // The text read in pieces is the whole file decoded at once: past a byte-order mark,
    // the bytes as they are when all of them are UTF-8, else Windows-1251.
    const std::string_view body = std::string_view(text).substr(text.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    const std::string decoded = IsUtf8(body) ? std::string(body) : Windows1251AsUtf8(body);
    std::string pieces;
    Require(ReadConfigText(services, state.ConfigPath,
                           [&](std::string_view piece) {
                               Require(WholeCharacters(piece) == piece.size(), "a piece cut a character");
                               pieces += piece;
                           }),
            "the file unread");
    Require(pieces == decoded, "decoded other than the whole file");
    try {
        ReadConfiguration(state, services);
    } catch (const testing::ProgramEnded& ended) {
        Require(ended.exitCode == 1 && state.GroupCount == 0, "ended other than for a host before any group");
        return 0;
    }
    SizeWindow(state);
    const Board& board = state.board;
    for (std::size_t g = 1; g < board.Frame1.size(); ++g)
        Require(IsUtf8(board.Frame1[g].caption), "a group caption not UTF-8");
    for (std::size_t i = 1; i < board.Label1.size(); ++i)
        Require(IsUtf8(board.Label1[i].caption) && IsUtf8(state.HostNames[i]), "a host's name or caption not UTF-8");
    Require(state.HostCount <= kMaxHosts && state.GroupCount <= kMaxGroups, "board past its limits");
    Require(board.Label1.size() == std::size_t(state.HostCount) + 1, "a label per host");
    Require(board.Frame1.size() == std::size_t(state.GroupCount) + 1, "a box per group");
    // At most one message per interval record, and one for each of the two limits.
    std::size_t intervals = 0;
    for (std::size_t at = text.find("checkinterval"); at != std::string::npos; at = text.find("checkinterval", at + 1))
        ++intervals;
    Require(services.messages.size() <= intervals + 2, "a message repeated");
    const int ms = state.Timer1Interval;
    Require(ms == kDesignTimerInterval || (ms >= 5000 && ms <= 3600000), "implausible interval");
    for (std::size_t i = 1; i < board.Label1.size(); ++i) {
        const HostLabel& label = board.Label1[i];
        Require(label.visible && label.container >= 1 && label.container <= state.GroupCount, "label outside a box");
        Require(label.rect.top + label.rect.height <= board.Frame1[label.container].rect.height, "label below its box");
    }
    return 0;
}
