#include "window/qt_form_services.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

namespace orvane2 {

void QtFormServices::MsgBox(const QString& prompt, int style, const QString& title)
{
    const auto icon = (style & vbInformation) ? QMessageBox::Information : QMessageBox::NoIcon;
    QMessageBox box(icon, title.isEmpty() ? kProgramTitle : title, prompt, QMessageBox::Ok);
    box.exec();
}

void QtFormServices::DoEvents()
{
    QCoreApplication::processEvents();
}

bool QtFormServices::FileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool QtFormServices::Kill(const QString& path)
{
    QFile::remove(path);
    return !QFileInfo::exists(path);
}

std::optional<QByteArray> QtFormServices::ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool QtFormServices::AppendLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    for (const QString& line : lines) {
        if (file.write(line.toUtf8() + "\r\n") < 0)
            return false;
    }
    return file.flush();
}

bool QtFormServices::Launch(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments, QDir::currentPath());
}

void QtFormServices::End(int exitCode)
{
    RunUnloadHandler();
    // End at once: no further events, no destructors of windows that are still open.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace orvane2
