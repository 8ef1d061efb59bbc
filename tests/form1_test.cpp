#include "support/fake_probe.h"
#include "support/fake_tray.h"
#include "support/recording_form_services.h"
#include "window/form1.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

using testing::FakeTray;
using testing::ProgramEnded;
using testing::RecordingFormServices;

// The window on Qt's offscreen platform: real widgets, no display, no modal loops
// (the popup and the file dialog are replaced and recorded).
struct WindowFixture : ::testing::Test {
    RecordingFormServices services;
    FakeTray tray;
    QStringList dialogLog;
    std::optional<QString> fileToChoose;
    std::unique_ptr<Form1> form;

    void Create()
    {
        FormDialogs dialogs;
        dialogs.popup = [this](QMenu& menu, const QPoint&) { dialogLog.append(QStringLiteral("popup ") + menu.title()); };
        dialogs.chooseFile = [this](QFileDialog& dialog) {
            dialogLog.append(QStringLiteral("dialog ") + dialog.windowTitle() + QStringLiteral(" | ") +
                             dialog.nameFilters().join(QStringLiteral(" | ")) + QStringLiteral(" | ") +
                             dialog.defaultSuffix());
            return fileToChoose;
        };
        form = std::make_unique<Form1>(services, tray, std::move(dialogs));
    }

    std::optional<int> Load(const QByteArray& config)
    {
        services.files[QStringLiteral("vantor2.cfg")] = config;
        Create();
        try {
            form->Load({}, [] { return std::make_unique<testing::FakeProbe>(); });
        } catch (const ProgramEnded& e) {
            return e.exitCode;
        }
        form->show();
        return std::nullopt;
    }

    void Click(int code) { tray.Click(code); }
};

TEST_F(WindowFixture, StartsShownWithItsBoardAndTheIconAddedLast)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\na 1\nb 2\n"));
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Монитор узлов"));
    EXPECT_EQ(tray.calls, QStringList{QString::fromUtf8("Add Монитор узлов активен")});
    EXPECT_FALSE(tray.iconWasNull);
    EXPECT_EQ(form->WindowState(), 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(form->Timer1.interval(), 5000);
    EXPECT_EQ(form->StatusString->text(), QString::fromUtf8("Инициализация..."));
    EXPECT_EQ(form->LabelCount(), 3);
    EXPECT_EQ(form->Label1(2)->text(), QStringLiteral("2"));
    EXPECT_EQ(form->Label1(2)->parentWidget(), form->Frame1(1));
    EXPECT_EQ(form->Label1(2)->geometry(), QRect(8, 33, 167, 17));
    EXPECT_FALSE(form->Frame1(0)->isVisible());
    EXPECT_FALSE(form->Label1(0)->isVisible());
    EXPECT_EQ(form->menu->title(), QString::fromUtf8("Меню"));
    ASSERT_EQ(form->menu->actions().size(), 3);
    EXPECT_EQ(form->menu->actions()[0]->text(), QString::fromUtf8("Показать/скрыть в трей (ЛКМ)"));
    EXPECT_EQ(form->menu->actions()[1]->text(), QString::fromUtf8("Сменить конфиг"));
    EXPECT_EQ(form->menu->actions()[2]->text(), QString::fromUtf8("Выход"));
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->window() == form.get()) {  // the file dialog is a window of its own
            EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->metaObject()->className();
        }
    }
}

TEST_F(WindowFixture, TrayCodesToggleOrOpenTheMenu)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    struct Step {
        int code;
        int state;
        bool visible;
        int popups;
    };
    const Step steps[] = {
        {kLeftButtonUp, 1, false, 0},   // left click hides
        {kMiddleButtonUp, 1, false, 0}, // other codes do nothing
        {512, 1, false, 0},
        {kRightButtonUp, 1, false, 1},  // right click opens the menu, state unchanged
        {kLeftButtonUp, 0, true, 1},    // left click restores
        {0, 0, true, 1},
        {kLeftButtonUp, 1, false, 1},   // a double click: two left releases
        {kLeftButtonUp, 0, true, 1},
    };
    for (const Step& step : steps) {
        Click(step.code);
        EXPECT_EQ(form->WindowState(), step.state) << step.code;
        EXPECT_EQ(form->isVisible(), step.visible) << step.code;
        EXPECT_EQ(dialogLog.size(), step.popups) << step.code;
    }
    EXPECT_EQ(dialogLog.value(0), QString::fromUtf8("popup Меню"));
}

TEST_F(WindowFixture, ShowHideItemTogglesLikeALeftClick)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    form->showhide->trigger();
    EXPECT_EQ(form->WindowState(), 1);
    EXPECT_FALSE(form->isVisible());
    form->showhide->trigger();
    EXPECT_EQ(form->WindowState(), 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(WindowFixture, MinimisedByOtherMeansIsRestoredByTheNextToggle)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    form->setWindowState(Qt::WindowMinimized);
    Click(kLeftButtonUp);
    EXPECT_EQ(form->WindowState(), 0);
    EXPECT_TRUE(form->isVisible());
    form->setWindowState(Qt::WindowMaximized);
    Click(kLeftButtonUp);
    EXPECT_EQ(form->WindowState(), 1);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowFixture, ExitRemovesTheIconAndEndsWithZero)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    try {
        form->exit->trigger();
        FAIL() << "exit did not end the program";
    } catch (const ProgramEnded& e) {
        EXPECT_EQ(e.exitCode, 0);
    }
    EXPECT_EQ(tray.calls.last(), QStringLiteral("Delete"));
    EXPECT_FALSE(tray.present);
}

TEST_F(WindowFixture, StartupThatEndsEarlyUnloadsWithoutAnIcon)
{
    EXPECT_EQ(Load("10.0.0.1 host before group\n"), 1);
    EXPECT_EQ(tray.calls, QStringList{QStringLiteral("Delete")});
    EXPECT_FALSE(form->Timer1.isActive());
}

TEST_F(WindowFixture, ChangeConfigRestartsOnTheChosenFile)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    fileToChoose = QStringLiteral("/cfg/lab.cfg");
    EXPECT_THROW(form->changeconfig->trigger(), ProgramEnded);
    EXPECT_EQ(dialogLog, QStringList{QString::fromUtf8(
                             "dialog Выберите другой конфиг | Конфиги Монитора(*.cfg) | Все файлы (*.*) | cfg")});
    EXPECT_EQ(services.files.value(QStringLiteral("restart.bat")), QByteArray("@echo off\r\nOrvane2.exe /cfg/lab.cfg\r\n"));
    ASSERT_EQ(services.launches.size(), 1u);
    EXPECT_EQ(services.launches[0].value(1), QStringLiteral("/cfg/lab.cfg"));
    EXPECT_EQ(tray.calls.last(), QStringLiteral("Delete"));
}

TEST_F(WindowFixture, CancellingTheDialogChangesNothing)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    fileToChoose.reset();
    form->changeconfig->trigger();
    EXPECT_EQ(dialogLog.size(), 1);
    EXPECT_FALSE(services.files.contains(QStringLiteral("restart.bat")));
    EXPECT_TRUE(services.launches.empty());
    EXPECT_TRUE(tray.present);
    EXPECT_TRUE(form->Timer1.isActive());
}

TEST_F(WindowFixture, ErrorsInTrayHandlingAreShownWithTheWindowTitle)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n"));
    form.reset();
    FormDialogs dialogs;
    dialogs.popup = [](QMenu&, const QPoint&) { throw std::runtime_error("menu failed"); };
    form = std::make_unique<Form1>(services, tray, std::move(dialogs));
    Click(kRightButtonUp);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, QStringLiteral("menu failed"));
    EXPECT_EQ(services.messages[0].style, vbInformation);
    EXPECT_EQ(services.messages[0].title, QString::fromUtf8("Orvane2 - Монитор узлов"));
}

TEST_F(WindowFixture, WithoutANotificationAreaTheMenuIsAMenuBar)
{
    tray.available = false;
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\na 1\n"));
    EXPECT_TRUE(form->HasMenuBar());
    EXPECT_TRUE(tray.calls.isEmpty());
    // Show/hide only minimises: nothing could bring a hidden window back.
    form->showhide->trigger();
    EXPECT_EQ(form->WindowState(), 1);
    EXPECT_TRUE(form->isVisible());
    form->showhide->trigger();
    EXPECT_EQ(form->WindowState(), 0);
}

TEST_F(WindowFixture, CycleColoursTheLabels)
{
    ASSERT_FALSE(Load("checkinterval 5\ngroup G\n10.0.0.1 up\n10.0.0.2 down\n"));
    auto* probe = dynamic_cast<testing::FakeProbe*>(form->State().Pinger.get());
    ASSERT_NE(probe, nullptr);
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    probe->alive = {{"10.0.0.1", true}};
    form->Timer1_Timer();
    EXPECT_EQ(form->Label1(1)->palette().color(QPalette::WindowText), QColor(0, 0x80, 0));
    EXPECT_EQ(form->Label1(2)->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    EXPECT_EQ(form->StatusString->text(), QString());
}

}  // namespace
}  // namespace orvane2
