// SPDX-License-Identifier: MIT
#include "../core/fakes.h"
#include "core/form1.h"
#include "core/startup.h"
#include "core/unexpected_error.h"
#include "probe/ping_ipv4.h"
#include "qt/day_strips.h"
#include "qt/guarded_application.h"
#include "qt/program_icon.h"
#include "qt/qt_form_services.h"
#include "qt/qt_form_view.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <numeric>
#include <system_error>
#include <thread>

namespace orvane2 {
namespace {

// The program's application for the whole run; the platform (offscreen) comes from CTest.
class QtApplication : public ::testing::Environment {
public:
    static GuardedApplication& App() { return *app_; }

private:
    int argc_ = 1;
    char name_[9] = "qt_tests";
    char* argv_[2] = {name_, nullptr};
    static inline std::optional<GuardedApplication> app_;
    void SetUp() override { app_.emplace(argc_, argv_); }
    void TearDown() override { app_.reset(); }
};
[[maybe_unused]] auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

// The file's bytes as ReadBytes hands them over, a mebibyte a piece at most, or nothing.
std::optional<std::string> ReadBack(QtFormServices& services, const std::string& path)
{
    std::string bytes;
    if (!services.ReadBytes(path, [&](std::string_view piece) {
            EXPECT_LE(piece.size(), std::size_t{1} << 20);
            bytes += piece;
            return true;
        }))
        return std::nullopt;
    return bytes;
}

TEST(QtServices, FilesAreReadInPiecesAsTheyStandAndLinesAppendedWithCrLf)
{
    QTemporaryDir dir;
    QtFormServices services;
    const std::string path = dir.filePath(QStringLiteral("сменить конфиг.bat")).toStdString();
    EXPECT_FALSE(services.FileExists(path));
    EXPECT_FALSE(ReadBack(services, path));
    ASSERT_TRUE(services.AppendLines(path, {"@echo off", "Orvane2.exe a b.cfg"}));
    ASSERT_TRUE(services.AppendLines(path, {"x"}));
    EXPECT_EQ(ReadBack(services, path), "@echo off\r\nOrvane2.exe a b.cfg\r\nx\r\n");
    EXPECT_TRUE(services.Kill(path));
    EXPECT_FALSE(services.FileExists(path));
    // Past two pieces, a byte-order mark and bytes that are no UTF-8 kept as they are.
    const std::string longLine = "\xEF\xBB\xBF" + std::string(2 << 20, 'a') + "\xD0";
    ASSERT_TRUE(services.AppendLines(path, {longLine}));
    EXPECT_EQ(ReadBack(services, path), longLine + "\r\n");
}

// Tasks posted from several threads run on the window's thread, each once and in the
// order each thread posted them, also while a modal box is open.
TEST(QtServices, PostedTasksRunInOrderOnTheWindowsThreadWhileAModalBoxIsOpen)
{
    QtFormServices services;
    constexpr int kThreads = 4, kTasks = 300;
    std::vector<std::vector<int>> ran(kThreads);
    bool elsewhere = false;
    const std::thread::id window = std::this_thread::get_id();
    QTimer::singleShot(0, [&] {
        std::vector<std::jthread> posters;
        for (int t = 0; t < kThreads; ++t)
            posters.emplace_back([&, t] {
                for (int i = 0; i < kTasks; ++i)
                    services.PostToWindow([&, t, i] {
                        elsewhere = elsewhere || std::this_thread::get_id() != window;
                        ran[t].push_back(i);
                    });
            });
    });
    QMessageBox box(QMessageBox::NoIcon, "modal", "waits", QMessageBox::Ok);
    QTimer poll;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (std::all_of(ran.begin(), ran.end(), [](const auto& r) { return r.size() == kTasks; }) ||
            std::chrono::steady_clock::now() > giveUp)
            box.accept();
    });
    poll.start(5);
    box.exec();
    std::vector<int> inOrder(kTasks);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ(ran, std::vector<std::vector<int>>(kThreads, inOrder));
    EXPECT_FALSE(elsewhere);
}

TEST(QtServices, NoticesDoNotWait)
{
    QtFormServices services;
    // Boxes that do not wait and block nothing: none added while one with the same text is open.
    const auto open = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::count_if(windows.begin(), windows.end(),
                             [](QWidget* box) { return qobject_cast<QMessageBox*>(box) && box->isVisible(); });
    };
    services.ShowNotice("a");
    services.ShowNotice("a");
    services.ShowNotice("b");
    EXPECT_EQ(open(), 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* box : QApplication::topLevelWidgets())
        if (auto* notice = qobject_cast<QMessageBox*>(box); notice && notice->text() == "a")
            notice->close();
    EXPECT_EQ(open(), 1);
    services.ShowNotice("a");
    EXPECT_EQ(open(), 2);
}

// What a posted task, a timer under a modal box or a menu command throws does not pass
// through Qt's event loops: every loop is left (a task that threw before the main loop
// ran leaves it unstarted), and the program tells the error in a box of the trapped-error
// title, its description or a generic one, and ends with a status of its own.
TEST(QtApplication, WhatAnEventThrowsIsToldInABoxAndEndsTheProgram)
{
    QtFormServices services;
    testing::FakeServices desk;  // its End throws: the menu command's exception
    desk.files[kDefaultConfigPath] = "checkinterval 5\ngroup G\n";
    QtFormView view;
    Form1 form(desk, view);
    view.Bind(form);
    form.Load("", [] { return std::make_unique<testing::FakeProbe>(); });
    ASSERT_NE(view.MenuBar(), nullptr);  // offscreen: no notification area
    const QList<QAction*> items = view.MenuBar()->actions().at(0)->menu()->actions();
    const auto exit = std::find_if(items.begin(), items.end(), [](QAction* a) { return a->text() == "Выход"; });
    ASSERT_NE(exit, items.end());
    bool ran = false;
    const auto throwing = [&] {
        ran = true;
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "thread");
    };
    const std::string unavailable =
        "thread: " + std::make_error_code(std::errc::resource_unavailable_try_again).message();
    struct Case {
        const char* source;
        bool beforeTheLoop;
        std::function<void()> raise;
        std::string told;
    };
    const std::vector<Case> cases = {
        {"a posted task", false, [&] { services.PostToWindow(throwing); }, unavailable},
        {"a posted task before the loop", true, [&] { services.PostToWindow(throwing); }, unavailable},
        {"a timer under a modal box", false,
         [&] {
             QTimer::singleShot(0, [] { throw 7; });
             services.MsgBox("ждёт", vbOKOnly, {});
         },
         "Непредвиденная ошибка"},
        {"a menu command", false, [&] { (*exit)->trigger(); }, "program ended"},
    };
    for (const Case& c : cases) {
        ran = false;
        if (c.beforeTheLoop) {
            c.raise();
            while (!ran)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } else {
            QTimer::singleShot(0, c.raise);
        }
        std::vector<std::tuple<QString, QString, QMessageBox::Icon>> told;
        QTimer poll;  // reads and closes the error box
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->windowTitle() == QString::fromStdString(TrappedErrorTitle()))
                told.emplace_back(box->windowTitle(), box->text(), box->icon()), box->accept();
        });
        poll.start(10);
        EXPECT_EQ(RunToTheEnd([] { return QtApplication::App().Exec(); }, ShowErrorBox), kUnexpectedErrorExit)
            << c.source;
        EXPECT_EQ(told, (std::vector{std::tuple(QString::fromUtf8("Orvane2 - Монитор узлов"),
                                                QString::fromStdString(c.told), QMessageBox::Information)}))
            << c.source;
    }
}

// A window of its own, loaded from a board file in a folder of its own and checked by a
// fake probe.
struct LoadedWindow {
    explicit LoadedWindow(const QByteArray& board)
    {
        QFile cfg(dir.filePath(QStringLiteral("board.cfg")));
        EXPECT_TRUE(cfg.open(QIODevice::WriteOnly) && cfg.write(board) == board.size());
        cfg.close();
        view.Bind(form);
        auto owned = std::make_unique<testing::FakeProbe>();
        probe = owned.get();
        form.Load(cfg.fileName().toStdString(), [&] { return std::move(owned); });
    }
    QTemporaryDir dir;
    QtFormServices services;
    QtFormView view;
    Form1 form{services, view};
    testing::FakeProbe* probe = nullptr;
};

// The window draws the board from its twips at 15 twips to a pixel, each host label in
// its own group box, and tells each host's state in its colour, tooltip and description.
TEST(QtView, PlacesTheBoardInPixelsAndTellsEachHostsState)
{
    LoadedWindow loaded("checkinterval 5\ngroup A\n10.0.0.1 1\n10.0.0.2 2\ngroup B\nc 3\n");
    auto& [dir, services, view, form, probe] = loaded;
    ASSERT_EQ(view.FrameCount(), 3);
    ASSERT_EQ(view.LabelCount(), 4);
    EXPECT_EQ(view.Frame1(2)->geometry(), QRect(8, 73, 233, 41));  // 120, 1090, 3495, 615 twips
    EXPECT_EQ(view.Label1(2)->geometry(), QRect(8, 33, 167, 17));  // 120, 495, 2500, 255 twips
    EXPECT_EQ(view.Label1(3)->parentWidget(), view.Frame1(2));
    EXPECT_EQ(view.Label1(3)->text(), QStringLiteral("3"));
    EXPECT_FALSE(view.Frame1(0)->isVisibleTo(&view));
    EXPECT_EQ(view.StatusString()->y(), 127);  // 1905 twips

    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    probe->alive = {"10.0.0.1"};
    form.Timer1_Timer();
    probe->DeliverAll();
    QApplication::processEvents();
    EXPECT_EQ(view.Label1(1)->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(view.Label1(2)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    for (const auto& [i, state] :
         {std::pair{1, "10.0.0.1\nотвечает, <1 мс\nс "}, std::pair{2, "10.0.0.2\nне отвечает\nс "},
          std::pair{3, "c\nимя не резолвится\nс "}}) {
        EXPECT_TRUE(view.Label1(i)->toolTip().startsWith(QString::fromUtf8(state)))
            << view.Label1(i)->toolTip().toStdString();
        EXPECT_EQ(view.Label1(i)->accessibleDescription(), view.Label1(i)->toolTip());
    }
    // The real probe's threads report to the window as it keeps answering: every host
    // turns green where this account may send ICMP, red where it may not.
    auto real = std::make_unique<PingIPv4>();
    const QColor expected = real->Ping("127.0.0.1") ? QColor(0, 128, 0) : QColor(255, 0, 0);
    QFile loopback(dir.filePath(QStringLiteral("loopback.cfg")));
    ASSERT_TRUE(loopback.open(QIODevice::WriteOnly) && loopback.write("checkinterval 5\ngroup A\nlocalhost a\n"));
    for (int i = 1; i <= 40; ++i)
        loopback.write("127.0.0." + QByteArray::number(i) + " h\n");
    loopback.close();
    QtFormView board;
    Form1 checked(services, board);
    board.Bind(checked);
    checked.Load(loopback.fileName().toStdString(), [&] { return std::move(real); });
    for (int cycle = 0; cycle < 3; ++cycle) {
        checked.Timer1_Timer();
        while (checked.CycleRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    for (int i = 1; i <= 41; ++i)
        EXPECT_EQ(board.Label1(i)->palette().color(QPalette::WindowText), expected) << i;
    // Offscreen there is no notification area: the menu is on the window instead.
    ASSERT_NE(view.MenuBar(), nullptr);
    EXPECT_EQ(view.MenuBar()->actions().at(0)->text(), QString::fromUtf8("Меню"));
    const int withBar = view.height(), bar = view.MenuBar()->height();
    view.HideMenuBar();  // a tray appeared
    EXPECT_EQ(view.MenuBar(), nullptr);
    EXPECT_EQ(withBar - view.height(), bar);
}

// The icon's mark at every size a tray asks for, HiDPI included: red while a host is

// The journal's window opens once and follows the checks while open, its rows newest
// first and bounded; a whole file is written, or none.
TEST(QtJournal, OneWindowFollowsTheChecksAndFilesAreWrittenWholeOrNotAtAll)
{
    LoadedWindow loaded("checkinterval 5\ngroup A\n10.0.0.1 flaky\n10.0.0.2 up\n");
    auto& [dir, services, view, form, probe] = loaded;
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    const auto cycle = [&](std::set<std::string> alive) {
        probe->alive = std::move(alive);
        form.Timer1_Timer();
        probe->DeliverAll();
        while (form.CycleRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    cycle({"10.0.0.2"});
    form.journal_Click();
    JournalWindow* window = view.Journal();
    ASSERT_NE(window, nullptr);
    form.RunMenuCommand(MenuCommand::Journal);
    EXPECT_EQ(view.Journal(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Журнал — Монитор узлов"));
    QAbstractItemModel& rows = *window->Table()->model();
    EXPECT_EQ(rows.headerData(6, Qt::Horizontal).toString(), QString::fromUtf8("Длилось"));
    const auto flip = [&](std::size_t i) {
        cycle(i % 2 ? std::set<std::string>{"10.0.0.2"} : std::set<std::string>{"10.0.0.1", "10.0.0.2"});
    };
    window->close();  // closed, it waits; opened again, it is up to date
    EXPECT_FALSE(window->isVisible());
    for (std::size_t i = 0; i < kMaxJournalEntries; ++i)
        flip(i);
    form.journal_Click();
    EXPECT_EQ(view.Journal(), window);
    EXPECT_EQ(rows.index(0, 5).data().toString(), QString::fromUtf8("не отвечает"));
    for (std::size_t i = 0; i < 3; ++i)  // open, at the bound: the oldest go, the newest come on top
        flip(i);
    window->BringUpToDate();  // what its timers do soon after a cycle
    ASSERT_EQ(rows.rowCount(), static_cast<int>(kMaxJournalEntries));
    EXPECT_EQ(rows.index(0, 5).data().toString(), QString::fromUtf8("отвечает, <1 мс"));
    EXPECT_EQ(rows.index(1, 5).data().toString(), QString::fromUtf8("не отвечает"));
    EXPECT_EQ(rows.index(0, 1).data().toString(), QStringLiteral("A"));
    const QList<StripBar*> bars = window->Strips()->findChildren<StripBar*>();
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0]->accessibleName(), QStringLiteral("flaky (10.0.0.1)"));
    EXPECT_TRUE(bars[0]->accessibleDescription().startsWith(QString::fromUtf8("отвечал: 50 % проверок")))
        << bars[0]->accessibleDescription().toStdString();
    // Grey before the first check; its flapping of the last seconds shares the last pixel, red.
    const QImage bar = bars[0]->grab().toImage();
    EXPECT_EQ(bar.pixelColor(0, bar.height() / 2), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(bar.pixelColor(bar.width() - 1, bar.height() / 2),
              QColor(kDeadColor & 0xFF, (kDeadColor >> 8) & 0xFF, (kDeadColor >> 16) & 0xFF));

    const std::string saved = dir.filePath(QStringLiteral("журнал.csv")).toStdString();
    ASSERT_TRUE(services.WriteWholeFile(saved, "a;b\r\n"));
    EXPECT_EQ(ReadBack(services, saved), "a;b\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    for (const char* path : {"folder", "missing/x.csv"})
        EXPECT_FALSE(services.WriteWholeFile(dir.filePath(QString::fromUtf8(path)).toStdString(), "x")) << path;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 3);  // cfg, csv, folder
}

// silent, green while all answer, none before the first check.
TEST(QtIcon, TheMarkIsDrawnAtEverySize)
{
    struct Case {
        TrayMark mark;
        bool red, green;
    };
    for (const Case& c : {Case{TrayMark::None, false, false}, Case{TrayMark::AllAnswer, false, true},
                          Case{TrayMark::SomeSilent, true, false}})
        for (const int size : {16, 22, 24, 32, 48})
            for (const qreal scale : {1.0, 2.0}) {
                const QImage image = MarkedIcon(c.mark).pixmap(QSize(size, size), scale).toImage();
                int red = 0, green = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        const QColor p = image.pixelColor(x, y);
                        red += p.red() >= 180 && p.green() <= 80 && p.blue() <= 80;
                        green += p.green() >= 180 && p.red() <= 80 && p.blue() <= 80;
                    }
                const int mark = image.width() * image.height() / 10;  // the mark's least share
                EXPECT_EQ(image.size(), QSize(size, size) * scale);
                EXPECT_EQ(red >= mark, c.red) << size << " px at " << scale << ": " << red;
                EXPECT_EQ(red == 0, !c.red) << size << " px at " << scale;
                EXPECT_EQ(green >= mark, c.green) << size << " px at " << scale << ": " << green;
                EXPECT_EQ(green == 0, !c.green) << size << " px at " << scale;
            }
}

}  // namespace
}  // namespace orvane2
