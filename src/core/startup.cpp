// SPDX-License-Identifier: MIT
#include "core/startup.h"

#include "core/board_layout.h"
#include "core/config_reader.h"
#include "core/interval_rule.h"

namespace orvane2 {

std::string MissingConfigMessage(const std::string& path)
{
    return "Конфигурационный файл " + path + " не найден";
}

std::string MissingIntervalMessage()
{
    return "В вашем конфиге отсуствует параметр checkinterval, выставлено время проверки по умолчанию - 60 секунд";
}

void Form_Load(FormState& state, FormServices& services, const std::string& argumentString, const StartupHooks& hooks)
{
    state.NewGroupPending = false;
    if (services.FileExists(kRestartScript))
        services.Kill(kRestartScript);

    state.ConfigPath = argumentString.empty() ? std::string(kDefaultConfigPath) : argumentString;
    // A file that may be there but cannot be reached is not called missing.
    if (const FileLookup config = services.LookUpFile(state.ConfigPath); config != FileLookup::File) {
        services.MsgBox(config == FileLookup::Missing ? MissingConfigMessage(state.ConfigPath)
                                                      : UnreadableFileMessage(state.ConfigPath));
        services.End(1);
    }

    ReadConfiguration(state, services);
    if (state.Timer1Interval == kDesignTimerInterval) {
        services.MsgBox(MissingIntervalMessage());
        state.Timer1Interval = kDefaultIntervalMs;
    }
    state.TotalHosts = state.HostCount;
    if (hooks.createProbe)
        state.Pinger = hooks.createProbe();
    SizeWindow(state);
    if (hooks.placeBoard)
        hooks.placeBoard();
    if (hooks.addIcon)
        hooks.addIcon();
}

}  // namespace orvane2
