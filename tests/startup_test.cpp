#include "core/argument_string.h"
#include "core/config_reader.h"
#include "core/startup.h"
#include "support/recording_form_services.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

using testing::ProgramEnded;
using testing::RecordingFormServices;

struct StartupRun {
    FormState state;
    RecordingFormServices services;
    std::optional<int> endedWith;
    QStringList hookCalls;

    void Load(const QString& arguments)
    {
        services.SetUnloadHandler([this] { hookCalls.append(QStringLiteral("unload")); });
        StartupHooks hooks;
        hooks.createProbe = [this] {
            hookCalls.append(QStringLiteral("probe"));
            return std::unique_ptr<HostProbe>();
        };
        hooks.addIcon = [this] { hookCalls.append(QStringLiteral("icon")); };
        try {
            Form_Load(state, services, arguments, hooks);
        } catch (const ProgramEnded& e) {
            endedWith = e.exitCode;
        }
    }
};

TEST(Startup, MissingFileNamesThePathAndEndsTheProgram)
{
    for (const QString& arguments : {QString(), QStringLiteral("C:\\cfg\\my lab.cfg "), QStringLiteral("\"x.cfg\"")}) {
        StartupRun run;
        run.services.files[QStringLiteral("restart.bat")] = "@echo off\r\n";
        run.Load(arguments);
        const QString path = arguments.isEmpty() ? QStringLiteral("vantor2.cfg") : arguments;
        EXPECT_EQ(run.endedWith, 1) << arguments.toStdString();
        EXPECT_EQ(run.services.Prompts(),
                  QStringList{QString::fromUtf8("Конфигурационный файл ") + path + QString::fromUtf8(" не найден")});
        EXPECT_EQ(run.state.ConfigPath, path);
        EXPECT_FALSE(run.services.files.contains(QStringLiteral("restart.bat")));
        // Unloaded without ever adding the icon.
        EXPECT_EQ(run.hookCalls, QStringList{QStringLiteral("unload")});
    }
}

TEST(Startup, WholeArgumentStringIsThePath)
{
    StartupRun run;
    const QString path = QStringLiteral("my configs/lab 1.cfg");
    run.services.files[path] = "checkinterval 5\ngroup G\nh l\n";
    run.Load(path);
    EXPECT_FALSE(run.endedWith);
    EXPECT_EQ(run.state.ConfigPath, path);
    EXPECT_EQ(run.state.TotalHosts, 1);
    EXPECT_EQ(run.state.Timer1Interval, 5000);
    EXPECT_TRUE(run.services.messages.empty());
    EXPECT_EQ(run.hookCalls, (QStringList{QStringLiteral("probe"), QStringLiteral("icon")}));
    EXPECT_FALSE(run.state.HostAlive);
    EXPECT_EQ(run.state.board.WindowHeight, 120 + 615 + 1200);
}

TEST(Startup, MissingIntervalGivesSixtySecondsAfterItsMessage)
{
    StartupRun run;
    run.services.files[QStringLiteral("vantor2.cfg")] = "# nothing but comments\n\n";
    run.Load({});
    EXPECT_FALSE(run.endedWith);
    EXPECT_EQ(run.services.Prompts(), QStringList{MissingIntervalMessage()});
    EXPECT_EQ(run.services.messages[0].title, QStringLiteral("Orvane2"));
    EXPECT_EQ(run.state.Timer1Interval, 60000);
    EXPECT_EQ(run.state.board.WindowHeight, 1695);
    EXPECT_EQ(run.hookCalls.last(), QStringLiteral("icon"));
}

TEST(Startup, BadIntervalIsReportedOnceAndNotAsMissing)
{
    StartupRun run;
    run.services.files[QStringLiteral("vantor2.cfg")] = "checkinterval 4\ngroup G\n";
    run.Load({});
    EXPECT_FALSE(run.endedWith);
    EXPECT_EQ(run.services.Prompts(), QStringList{BadIntervalMessage()});
    EXPECT_EQ(run.state.Timer1Interval, 60000);
}

TEST(Startup, HostBeforeGroupEndsWithoutProbeOrIcon)
{
    StartupRun run;
    run.services.files[QStringLiteral("vantor2.cfg")] = "checkinterval 5\n10.0.0.1 gw\n";
    run.Load({});
    EXPECT_EQ(run.endedWith, 1);
    EXPECT_EQ(run.services.Prompts(), QStringList{NoGroupMessage()});
    EXPECT_EQ(run.hookCalls, QStringList{QStringLiteral("unload")});
}

TEST(Startup, GroupsWithoutHostsStartNormally)
{
    StartupRun run;
    run.services.files[QStringLiteral("vantor2.cfg")] = "checkinterval 5\ngroup A\ngroup B\n";
    run.Load({});
    EXPECT_FALSE(run.endedWith);
    EXPECT_EQ(run.state.TotalHosts, 0);
    EXPECT_EQ(run.state.GroupCount, 2);
}

TEST(ArgumentString, JoinsArgumentsWithSingleSpaces)
{
    const char* none[] = {"orvane2"};
    EXPECT_EQ(ArgumentString(1, none), QString());
    const char* split[] = {"orvane2", "/tmp/my", "lab.cfg"};
    EXPECT_EQ(ArgumentString(3, split), QStringLiteral("/tmp/my lab.cfg"));
    const char* qtOption[] = {"orvane2", "-style"};
    EXPECT_EQ(ArgumentString(2, qtOption), QStringLiteral("-style"));
    const char* cyrillic[] = {"orvane2", "конфиг.cfg"};
    EXPECT_EQ(ArgumentString(2, cyrillic), QString::fromUtf8("конфиг.cfg"));
}

}  // namespace
}  // namespace orvane2
