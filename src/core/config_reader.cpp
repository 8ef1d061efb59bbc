#include "core/config_reader.h"

#include "core/config_text.h"
#include "core/interval_rule.h"
#include "window/board_layout.h"

namespace orvane2 {

QString NoGroupMessage()
{
    return QString::fromUtf8(
        "В вашем конфиге не создано ни одной группы. Вывод информации на экран невозможен. "
        "Исправьте vantor2.cfg и запустите программу еще раз");
}

QString BadIntervalMessage()
{
    return QString::fromUtf8("Параметр checkinterval в конфиге может быть от 5 до 3600 секунд. Ставим по умолчанию 60");
}

QString TooManyHostsMessage()
{
    return QString::fromUtf8("В вашем конфиге больше %1 узлов. Узлы после %1-го не показаны").arg(kMaxHosts);
}

namespace {

QString UnreadableFileMessage(const QString& path)
{
    return QString::fromUtf8("Конфигурационный файл ") + path + QString::fromUtf8(" не удалось прочитать");
}

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

// Adds a host label, or skips the host (reporting it once) when the board is full.
void AddHost(FormState& state, FormServices& services, bool& limitReported)
{
    if (state.GroupCount == 0) {
        services.MsgBox(NoGroupMessage());
        services.End(1);
    }
    if (state.HostCount >= kMaxHosts) {
        if (!limitReported)
            services.MsgBox(TooManyHostsMessage());
        limitReported = true;
        return;
    }
    ++state.HostCount;
    state.HostNames[state.HostCount] = state.LineWords[0];
    const int16_t created = state.board.NewLabel();
    Q_ASSERT(created == state.HostCount);
    // A record without a second word shows the host's own name.
    const QString caption = state.LineWords.size() > 1 ? state.LineWords[1] : state.LineWords[0];
    PlaceHostLabel(state, caption);
}

}  // namespace

void ReadConfigurationRecords(FormState& state, FormServices& services, const QStringList& records)
{
    bool limitReported = false;
    for (const QString& record : records) {
        state.ConfigLine = record;
        if (record.isEmpty() || record.startsWith(u'#'))
            continue;
        state.LineWords = record.split(u' ');
        const QString& key = state.LineWords[0];
        if (key == u"group") {
            if (state.GroupCount < kMaxGroups)
                AddGroup(state);
        } else if (key == u"checkinterval") {
            ApplyInterval(state, services);
        } else {
            AddHost(state, services, limitReported);
        }
    }
}

void ReadConfiguration(FormState& state, FormServices& services)
{
    const std::optional<QByteArray> bytes = services.ReadAll(state.ConfigPath);
    if (!bytes) {
        services.MsgBox(UnreadableFileMessage(state.ConfigPath));
        services.End(1);
    }
    ReadConfigurationRecords(state, services, SplitConfigRecords(DecodeConfigText(*bytes)));
}

}  // namespace orvane2
