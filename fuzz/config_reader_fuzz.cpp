// SPDX-License-Identifier: MIT
// libFuzzer target for the configuration reader: the input is the configuration text.
// It is read as start-up reads it, handed over in pieces whose size the input's length
// picks, on a fresh window state, and the window sized. Besides the sanitizers' checks, the board must keep the
// invariants below; a violation aborts, so libFuzzer reports the input as a crash.
#include "../tests/core/fakes.h"
#include "core/board_layout.h"
#include "core/config_reader.h"
#include "core/interval_rule.h"

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
    try {
        ReadConfiguration(state, services);
    } catch (const testing::ProgramEnded& ended) {
        Require(ended.exitCode == 1 && state.GroupCount == 0, "ended other than for a host before any group");
        return 0;
    }
    SizeWindow(state);
    const Board& board = state.board;
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
