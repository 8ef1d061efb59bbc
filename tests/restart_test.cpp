#include "core/restart.h"
#include "core/startup.h"
#include "support/recording_form_services.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

TEST(Restart, WritesTheScriptAnewAndStartsTheProgramDirectly)
{
    testing::RecordingFormServices services;
    services.files[QStringLiteral("restart.bat")] = "@echo off\r\nOrvane2.exe old.cfg\r\n";
    const QString chosen = QStringLiteral("/home/user/my cfg/lab & co;rm -rf x.cfg");

    EXPECT_TRUE(RestartOn(services, chosen, QStringLiteral("/usr/bin/orvane2")));

    EXPECT_EQ(services.files.value(QStringLiteral("restart.bat")),
              QByteArray("@echo off\r\nOrvane2.exe /home/user/my cfg/lab & co;rm -rf x.cfg\r\n"));
    ASSERT_EQ(services.launches.size(), 1u);
    // The program itself, the path as one argument: no shell sees it.
    EXPECT_EQ(services.launches[0], (QStringList{"/usr/bin/orvane2", chosen}));
    EXPECT_EQ(services.log, (QStringList{"Kill restart.bat", "Append restart.bat", "Launch /usr/bin/orvane2"}));
}

TEST(Restart, TheNewProcessDeletesTheScriptAndReadsTheChosenFile)
{
    testing::RecordingFormServices services;
    const QString chosen = QStringLiteral("/cfg/lab.cfg");
    services.files[chosen] = "checkinterval 5\ngroup Lab\nh x\n";
    RestartOn(services, chosen, QStringLiteral("orvane2"));

    FormState state;
    Form_Load(state, services, services.launches[0].mid(1).join(u' '), {});
    EXPECT_FALSE(services.files.contains(kRestartScript));
    EXPECT_EQ(state.ConfigPath, chosen);
    EXPECT_EQ(state.board.Frame1[1].caption, QStringLiteral("Lab"));
}

}  // namespace
}  // namespace orvane2
