// SPDX-License-Identifier: MIT
#include "core/form1.h"
#include "qt/qt_form_services.h"
#include "qt/qt_form_view.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace orvane2 {
namespace {

TEST(QtServices, DecodeTheFileAsUtf8ElseWindows1251)
{
    const std::vector<std::pair<QByteArray, std::string>> cases = {
        {"group A\n", "group A\n"},
        {"\xEF\xBB\xBFgroup A", "group A"},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB\xBFgroup \xD1", "group С"},  // a mark before Windows-1251 text
        {"group \xD0\xA1\xD0\xB5\xD1\x80", "group Сер"},
        {"group \xD1\xE5\xF0 \xB8\xA8", "group Сер ёЁ"},
        {"a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},  // a mark after the start is a character
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeConfigBytes(bytes), text) << bytes.toHex().toStdString();
}

TEST(QtServices, FilesAreReadWholeAndLinesAppendedWithCrLf)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("сменить конфиг.bat")).toStdString();
    QtFormServices services;
    EXPECT_FALSE(services.FileExists(path));
    EXPECT_FALSE(services.ReadText(path));
    ASSERT_TRUE(services.AppendLines(path, {"@echo off", "Orvane2.exe a b.cfg"}));
    ASSERT_TRUE(services.AppendLines(path, {"x"}));
    EXPECT_EQ(services.ReadText(path), "@echo off\r\nOrvane2.exe a b.cfg\r\nx\r\n");
    EXPECT_TRUE(services.Kill(path));
    EXPECT_FALSE(services.FileExists(path));
}

// The window draws the board from its twips at 15 twips to a pixel, each host label in
// its own group box.
TEST(QtView, PlacesTheBoardInPixelsAndColoursLabels)
{
    QTemporaryDir dir;
    const QString cfg = dir.filePath(QStringLiteral("board.cfg"));
    QFile file(cfg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("checkinterval 5\ngroup A\na 1\nb 2\ngroup B\nc 3\n");
    file.close();

    QtFormServices services;
    QtFormView view;
    Form1 form(services, view);
    view.Bind(form);
    form.Load(cfg.toStdString(), nullptr);

    ASSERT_EQ(view.FrameCount(), 3);
    ASSERT_EQ(view.LabelCount(), 4);
    EXPECT_EQ(view.Frame1(2)->geometry(), QRect(8, 73, 233, 41));  // 120, 1090, 3495, 615 twips
    EXPECT_EQ(view.Label1(2)->geometry(), QRect(8, 33, 167, 17));  // 120, 495, 2500, 255 twips
    EXPECT_EQ(view.Label1(3)->parentWidget(), view.Frame1(2));
    EXPECT_EQ(view.Label1(3)->text(), QStringLiteral("3"));
    EXPECT_EQ(view.Frame1(1)->title(), QStringLiteral("A"));
    EXPECT_FALSE(view.Frame1(0)->isVisibleTo(&view));
    EXPECT_EQ(view.StatusString()->y(), 127);  // 1905 twips

    view.SetLabelColor(2, 0x008000);
    view.SetLabelColor(3, 0x0000FF);
    EXPECT_EQ(view.Label1(2)->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(view.Label1(3)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // Offscreen there is no notification area: the menu is on the window instead.
    ASSERT_NE(view.MenuBar(), nullptr);
    EXPECT_EQ(view.MenuBar()->actions().at(0)->text(), QString::fromUtf8("Меню"));
}

}  // namespace
}  // namespace orvane2
