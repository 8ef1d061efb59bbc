// libFuzzer target for the configuration reader: the input is the configuration
// file's bytes. They go the way ReadConfiguration takes them (DecodeConfigText,
// SplitConfigRecords, ReadConfigurationRecords on a fresh FormState), then the
// window is sized as start-up does. Besides the sanitizers' own checks, the board
// and the reader's state must keep the invariants below; any violation aborts, so
// libFuzzer reports it as a crash with the input that caused it.
#include "core/config_reader.h"
#include "core/config_text.h"
#include "core/interval_rule.h"
#include "support/recording_form_services.h"
#include "window/board_layout.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using orvane2::Board;
using orvane2::FormState;
using orvane2::GroupBox;
using orvane2::HostLabel;
using orvane2::Rect;
using orvane2::testing::ProgramEnded;
using orvane2::testing::RecordingFormServices;
namespace layout = orvane2::layout;

[[noreturn]] void Violated(const char* what, long long a = 0, long long b = 0)
{
    std::fprintf(stderr, "config_reader_fuzz: invariant violated: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

void Require(bool holds, const char* what, long long a = 0, long long b = 0)
{
    if (!holds)
        Violated(what, a, b);
}

// A configured check interval is either still the design value (no valid
// checkinterval record was read) or within 5 to 3600 seconds.
bool IsPlausibleInterval(int ms)
{
    return ms == orvane2::kDesignTimerInterval || (ms >= 5000 && ms <= 3600000);
}

void CheckIntervalRule(const QString& text)
{
    const std::optional<int> ms = orvane2::IntervalMilliseconds(text);
    if (!ms)
        return;
    Require(*ms >= 5000 && *ms <= 3600000, "IntervalMilliseconds outside 5000..3600000", *ms);
    // Only a plain decimal number can be accepted.
    Require(!text.isEmpty(), "IntervalMilliseconds accepted empty text");
    for (const QChar c : text)
        Require(c.isDigit() || c == u'.' || c == u'+' || c == u'-', "IntervalMilliseconds accepted a non-number",
                c.unicode());
}

void CheckRecords(const QString& text, const QStringList& records)
{
    // Every record but an empty line consumes at least one character of the text.
    Require(records.size() <= text.size() + 1, "more records than characters", records.size(), text.size());
    for (const QString& record : records)
        Require(record.size() <= text.size(), "record longer than the text", record.size(), text.size());
}

// The board the reader built: counts agree with the control arrays, boxes stack one
// under the other, labels stack inside the box they belong to.
void CheckBoard(const FormState& state)
{
    const Board& board = state.board;
    Require(state.HostCount >= 0 && state.HostCount <= orvane2::kMaxHosts, "HostCount out of 0..255", state.HostCount);
    Require(state.GroupCount >= 0 && state.GroupCount <= orvane2::kMaxGroups, "GroupCount out of 0..32767",
            state.GroupCount);
    Require(board.Label1.size() == static_cast<std::size_t>(state.HostCount) + 1, "Label1.size() != HostCount + 1",
            static_cast<long long>(board.Label1.size()), state.HostCount);
    Require(board.Frame1.size() == static_cast<std::size_t>(state.GroupCount) + 1, "Frame1.size() != GroupCount + 1",
            static_cast<long long>(board.Frame1.size()), state.GroupCount);
    Require(!board.Frame1[0].visible && !board.Label1[0].visible, "a template element became visible");

    for (std::size_t g = 1; g < board.Frame1.size(); ++g) {
        const Rect& box = board.Frame1[g].rect;
        Require(board.Frame1[g].visible, "group box not visible", static_cast<long long>(g));
        Require(box.height >= layout::kBoxBottomMargin, "group box lower than 375 twips", static_cast<long long>(g),
                box.height);
        const int expectedTop = g == 1 ? layout::kFirstBoxTop
                                       : board.Frame1[g - 1].rect.top + board.Frame1[g - 1].rect.height + layout::kBoxGap;
        Require(box.top == expectedTop, "group box not stacked under the previous one", box.top, expectedTop);
    }

    int previousContainer = 1;
    for (std::size_t i = 1; i < board.Label1.size(); ++i) {
        const HostLabel& label = board.Label1[i];
        Require(label.visible, "host label not visible", static_cast<long long>(i));
        Require(label.container >= 1 && label.container <= state.GroupCount, "label in no existing group box",
                label.container, state.GroupCount);
        Require(label.container >= previousContainer, "labels not in configuration order", label.container,
                previousContainer);
        const bool firstInBox = i == 1 || board.Label1[i - 1].container != label.container;
        const int expectedTop = firstInBox ? layout::kFirstLabelTop
                                           : board.Label1[i - 1].rect.top + board.Label1[i - 1].rect.height;
        Require(label.rect.top == expectedTop, "label not stacked under the previous one", label.rect.top,
                expectedTop);
        const Rect& box = board.Frame1[static_cast<std::size_t>(label.container)].rect;
        Require(label.rect.top + label.rect.height <= box.height, "label reaches below its group box",
                label.rect.top + label.rect.height, box.height);
        Require(label.rect.left >= 0 && label.rect.left + label.rect.width <= box.width,
                "label sticks out of its group box sideways", label.rect.left + label.rect.width, box.width);
        Require(!label.foreColor.has_value(), "the reader coloured a label");
        previousContainer = label.container;
    }
    for (int i = state.HostCount + 1; i <= orvane2::kMaxHosts; ++i)
        Require(state.HostNames[static_cast<std::size_t>(i)].isEmpty(), "host name beyond HostCount", i,
                state.HostCount);
}

void CheckMessages(const RecordingFormServices& services, const FormState& state, bool ended, int exitCode)
{
    int tooMany = 0;
    int noGroup = 0;
    for (const auto& shown : services.messages) {
        if (shown.prompt == orvane2::TooManyHostsMessage())
            ++tooMany;
        else if (shown.prompt == orvane2::NoGroupMessage())
            ++noGroup;
        else
            Require(shown.prompt == orvane2::BadIntervalMessage(), "the reader showed an unknown message");
    }
    Require(tooMany <= 1, "the host limit was reported more than once", tooMany);
    Require(tooMany == 0 || state.HostCount == orvane2::kMaxHosts, "host limit reported before 255 hosts",
            state.HostCount);
    // A host before any group ends the program at once, after its message.
    Require(noGroup == (ended ? 1 : 0), "no-group message and the end disagree", noGroup, ended);
    if (ended) {
        Require(exitCode == 1, "the reader ended with an exit code other than 1", exitCode);
        Require(state.GroupCount == 0 && state.HostCount == 0, "ended although a group exists", state.GroupCount);
        Require(services.messages.back().prompt == orvane2::NoGroupMessage(), "ended without the no-group message");
    }
}

void CheckWindowSize(FormState& state)
{
    orvane2::SizeWindow(state);
    const Rect& last = state.board.Frame1[static_cast<std::size_t>(state.GroupCount)].rect;
    Require(state.board.WindowHeight.has_value(), "SizeWindow set no height");
    const int height = *state.board.WindowHeight;
    Require(height == last.top + last.height + layout::kWindowExtraHeight, "window height does not fit the last box",
            height);
    Require(state.board.StatusString.rect.top == height - layout::kStatusLineLift,
            "status line not lifted above the bottom", state.board.StatusString.rect.top, height);
    Require(layout::ToPixels(height) > 0, "window height in pixels not positive", layout::ToPixels(height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = orvane2::DecodeConfigText(bytes);
    const QStringList records = orvane2::SplitConfigRecords(text);
    CheckRecords(text, records);

    // The interval rule on arbitrary text: the whole input, and each record's words.
    CheckIntervalRule(text);
    if (!records.isEmpty()) {
        CheckIntervalRule(records.front());
        CheckIntervalRule(records.back().section(u' ', 1));
    }

    FormState state;
    RecordingFormServices services;
    bool ended = false;
    int exitCode = 0;
    try {
        orvane2::ReadConfigurationRecords(state, services, records);
    } catch (const ProgramEnded& e) {
        ended = true;
        exitCode = e.exitCode;
    }
    Require(IsPlausibleInterval(state.Timer1Interval), "Timer1Interval out of range", state.Timer1Interval);
    CheckBoard(state);
    CheckMessages(services, state, ended, exitCode);
    if (!ended)
        CheckWindowSize(state);
    return 0;
}
