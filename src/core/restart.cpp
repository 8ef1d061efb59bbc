#include "core/restart.h"

#include "core/startup.h"

namespace orvane2 {

QStringList RestartScriptLines(const QString& chosenPath)
{
    return {QStringLiteral("@echo off"), QStringLiteral("Orvane2.exe ") + chosenPath};
}

bool RestartOn(FormServices& services, const QString& chosenPath, const QString& executable)
{
    if (services.FileExists(kRestartScript))
        services.Kill(kRestartScript);
    services.AppendLines(kRestartScript, RestartScriptLines(chosenPath));
    return services.Launch(executable, {chosenPath});
}

}  // namespace orvane2
