// SPDX-License-Identifier: MIT
#include "../core/fakes.h"
#include "core/form1.h"
#include "core/utf8_text.h"
#include "probe/ping_ipv4.h"
#include "qt/day_strips.h"
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
#include <thread>

namespace orvane2 {
namespace {

// The widgets' application for the whole run; the platform (offscreen) comes from CTest.
class QtApplication : public ::testing::Environment {
    int argc_ = 1;
    char name_[9] = "qt_tests";
    char* argv_[2] = {name_, nullptr};
    std::optional<QApplication> app_;
    void SetUp() override { app_.emplace(argc_, argv_); }
    void TearDown() override { app_.reset(); }
};
[[maybe_unused]] auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

// The file's text as ReadText hands it over, or a note when a piece cut a character.
std::optional<std::string> ReadBack(QtFormServices& services, const std::string& path)
{
    std::string text;
    bool whole = true;
    if (!services.ReadText(path, [&](std::string_view piece) {
            text += piece;
            whole = whole && WholeCharacters(piece) == piece.size();
        }))
        return std::nullopt;
    return whole ? text : "(a piece cut a character)";
}

TEST(QtServices, FilesAreReadInPiecesAsUtf8ElseWindows1251AndLinesAppendedWithCrLf)
{
    const QByteArray mib(1 << 20, 'a');
    const std::vector<std::pair<QByteArray, std::string>> cases = {
        {"\xEF\xBB\xBFgroup A", "group A"},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB\xBFgroup \xD1", "group С"},  // a mark before Windows-1251 text
        {"group \xD0\xA1\xD0\xB5\xD1\x80", "group Сер"},
        {"group \xD1\xE5\xF0 \xB8\xA8", "group Сер ёЁ"},
        {"a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},  // a mark after the start is a character
        {"group \xD0", "group Р"},           // a character cut off at the end is no UTF-8
        {mib.first(mib.size() - 1) + "\xD0\x96", mib.first(mib.size() - 1).toStdString() + "Ж"},  // across pieces
        {mib + mib + "\xC6", (mib + mib).toStdString() + "Ж"},  // the one fault lies past the first pieces
    };
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("a.cfg")));
    QtFormServices services;
    for (const auto& [bytes, text] : cases) {
        ASSERT_TRUE(cfg.open(QIODevice::WriteOnly | QIODevice::Truncate) && cfg.write(bytes) == bytes.size());
        cfg.close();
        EXPECT_EQ(ReadBack(services, cfg.fileName().toStdString()), text) << bytes.left(40).toHex().toStdString();
    }

    const std::string path = dir.filePath(QStringLiteral("сменить конфиг.bat")).toStdString();
    EXPECT_FALSE(services.FileExists(path));
    EXPECT_FALSE(services.ReadText(path, [](std::string_view) {}));
    ASSERT_TRUE(services.AppendLines(path, {"@echo off", "Orvane2.exe a b.cfg"}));
    ASSERT_TRUE(services.AppendLines(path, {"x"}));
    EXPECT_EQ(ReadBack(services, path), "@echo off\r\nOrvane2.exe a b.cfg\r\nx\r\n");
    EXPECT_TRUE(services.Kill(path));
    EXPECT_FALSE(services.FileExists(path));
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

// The window draws the board from its twips at 15 twips to a pixel, each host label in
// its own group box, and tells each host's state in its colour, tooltip and description.
TEST(QtView, PlacesTheBoardInPixelsAndTellsEachHostsState)
{
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("board.cfg")));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly) &&
                cfg.write("checkinterval 5\ngroup A\n10.0.0.1 1\n10.0.0.2 2\ngroup B\nc 3\n"));
    cfg.close();
    QtFormServices services;
    QtFormView view;
    Form1 form(services, view);
    view.Bind(form);
    auto owned = std::make_unique<testing::FakeProbe>();
    testing::FakeProbe& probe = *owned;
    form.Load(cfg.fileName().toStdString(), [&] { return std::move(owned); });
    ASSERT_EQ(view.FrameCount(), 3);
    ASSERT_EQ(view.LabelCount(), 4);
    EXPECT_EQ(view.Frame1(2)->geometry(), QRect(8, 73, 233, 41));  // 120, 1090, 3495, 615 twips
    EXPECT_EQ(view.Label1(2)->geometry(), QRect(8, 33, 167, 17));  // 120, 495, 2500, 255 twips
    EXPECT_EQ(view.Label1(3)->parentWidget(), view.Frame1(2));
    EXPECT_EQ(view.Label1(3)->text(), QStringLiteral("3"));
    EXPECT_FALSE(view.Frame1(0)->isVisibleTo(&view));
    EXPECT_EQ(view.StatusString()->y(), 127);  // 1905 twips

    probe.addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    probe.alive = {"10.0.0.1"};
    form.Timer1_Timer();
    probe.DeliverAll();
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
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("board.cfg")));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly) && cfg.write("checkinterval 5\ngroup A\n10.0.0.1 flaky\n10.0.0.2 up\n"));
    cfg.close();
    QtFormServices services;
    QtFormView view;
    Form1 form(services, view);
    view.Bind(form);
    auto owned = std::make_unique<testing::FakeProbe>();
    testing::FakeProbe& probe = *owned;
    form.Load(cfg.fileName().toStdString(), [&] { return std::move(owned); });
    probe.addresses = {{"10.0.0.1", "10.0.0.1"}, {"10.0.0.2", "10.0.0.2"}};
    const auto cycle = [&](std::set<std::string> alive) {
        probe.alive = std::move(alive);
        form.Timer1_Timer();
        probe.DeliverAll();
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
