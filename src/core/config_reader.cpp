// SPDX-License-Identifier: MIT
#include "core/config_reader.h"

#include "core/board_layout.h"
#include "core/config_records.h"
#include "core/config_text.h"
#include "core/interval_rule.h"

namespace orvane2 {

std::string NoGroupMessage()
{
    return "В вашем конфиге не создано ни одной группы. Вывод информации на экран невозможен. "
           "Исправьте vantor2.cfg и запустите программу еще раз";
}

std::string BadIntervalMessage()
{
    return "Параметр checkinterval в конфиге может быть от 5 до 3600 секунд. Ставим по умолчанию 60";
}

std::string TooManyHostsMessage()
{
    const std::string limit = std::to_string(kMaxHosts);
    return "В вашем конфиге больше " + limit + " узлов. Узлы после " + limit + "-го не показаны";
}

std::string TooManyGroupsMessage()
{
    const std::string limit = std::to_string(kMaxGroups);
    return "В вашем конфиге больше " + limit + " групп. Группы после " + limit + "-й не показаны";
}

std::string UnreadableFileMessage(const std::string& path)
{
    return "Конфигурационный файл " + path + " не удалось прочитать";
}

namespace {

// What the reader has reported and skipped so far in one file.
struct ReaderProgress {
    bool hostLimitReported = false;
    bool groupLimitReported = false;
    bool inSkippedGroup = false;  // the hosts of a group past the limit are skipped with it
};

void ApplyInterval(FormState& state, FormServices& services)
{
    const auto ms = state.LineWords.size() > 1 ? IntervalMilliseconds(state.LineWords[1]) : std::nullopt;
    if (ms) {
        state.Timer1Interval = *ms;
    } else {
        services.MsgBox(BadIntervalMessage());
        state.Timer1Interval = kDefaultIntervalMs;
    }
}

// Adds a group box, or skips the group (reporting it once) when the board holds as many
// as it may: every box is a window of its own, and a desktop copes with only so many.
void AddGroupRecord(FormState& state, FormServices& services, ReaderProgress& progress)
{
    progress.inSkippedGroup = state.GroupCount >= kMaxGroups;
    if (!progress.inSkippedGroup) {
        AddGroup(state);
        return;
    }
    if (!progress.groupLimitReported)
        services.MsgBox(TooManyGroupsMessage());
    progress.groupLimitReported = true;
}

// Adds a host label, or skips the host (reporting it once) when the board is full.
void AddHost(FormState& state, FormServices& services, ReaderProgress& progress)
{
    if (state.GroupCount == 0) {
        services.MsgBox(NoGroupMessage());
        services.End(1);
    }
    if (progress.inSkippedGroup)
        return;
    if (state.HostCount >= kMaxHosts) {
        if (!progress.hostLimitReported)
            services.MsgBox(TooManyHostsMessage());
        progress.hostLimitReported = true;
        return;
    }
    ++state.HostCount;
    state.HostNames[state.HostCount] = state.LineWords[0];
    state.board.NewLabel();
    // A record without a second word shows the host's own name.
    const std::string& caption = state.LineWords.size() > 1 ? state.LineWords[1] : state.LineWords[0];
    PlaceHostLabel(state, caption);
}

}  // namespace

void ReadConfiguration(FormState& state, FormServices& services)
{
    ReaderProgress progress;
    RecordSplitter splitter;
    const RecordSplitter::Take take = [&](const std::string& record) {
        state.ConfigLine = record;
        if (record.empty() || record.front() == '#')
            return;
        state.LineWords = SplitWords(record);
        const std::string& key = state.LineWords[0];
        if (key == "group")
            AddGroupRecord(state, services, progress);
        else if (key == "checkinterval")
            ApplyInterval(state, services);
        else
            AddHost(state, services, progress);
    };
    // Each record is taken as soon as it is read: the file is never held whole.
    const bool read =
        ReadConfigText(services, state.ConfigPath, [&](std::string_view piece) { splitter.Feed(piece, take); });
    if (!read) {
        services.MsgBox(UnreadableFileMessage(state.ConfigPath));
        services.End(1);
    }
    splitter.Finish(take);
}

}  // namespace orvane2
