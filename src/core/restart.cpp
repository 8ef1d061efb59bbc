// SPDX-License-Identifier: MIT
#include "core/restart.h"

#include "core/startup.h"

namespace orvane2 {

std::vector<std::string> RestartScriptLines(const std::string& chosenPath)
{
    return {"@echo off", "Orvane2.exe " + chosenPath};
}

bool RestartOn(FormServices& services, const std::string& chosenPath)
{
    if (services.FileExists(kRestartScript))
        services.Kill(kRestartScript);
    services.AppendLines(kRestartScript, RestartScriptLines(chosenPath));
    if (services.Launch(services.ExecutablePath(), {chosenPath}))
        return true;
    services.Kill(kRestartScript);
    return false;
}

std::string RestartFailedMessage(const std::string& chosenPath)
{
    return "Не удалось запустить программу с конфигом " + chosenPath + ". Работаем дальше с текущим конфигом";
}

}  // namespace orvane2
