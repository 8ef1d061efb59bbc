// SPDX-License-Identifier: MIT
#include "qt/qt_form_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStringConverter>
#include <cstdio>
#include <cstdlib>

namespace orvane2 {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

std::string DecodeConfigBytes(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(view);
    if (!utf8.hasError())
        return decoded.toStdString();
    QStringDecoder cp1251("windows-1251");
    // Without the code page in this Qt build, keep the bytes one to one rather than fail.
    return (cp1251.isValid() ? QString(cp1251.decode(view)) : QString::fromLatin1(view)).toStdString();
}

void QtFormServices::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    const auto icon = (style & vbInformation) ? QMessageBox::Information : QMessageBox::NoIcon;
    QMessageBox box(icon, Q(title.empty() ? kProgramTitle : title), Q(prompt), QMessageBox::Ok);
    box.exec();
}

void QtFormServices::DoEvents()
{
    QCoreApplication::processEvents();
}

bool QtFormServices::FileExists(const std::string& path)
{
    return QFileInfo(Q(path)).isFile();
}

bool QtFormServices::Kill(const std::string& path)
{
    QFile::remove(Q(path));
    return !QFileInfo::exists(Q(path));
}

std::optional<std::string> QtFormServices::ReadText(const std::string& path)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return DecodeConfigBytes(bytes);
}

bool QtFormServices::AppendLines(const std::string& path, const std::vector<std::string>& lines)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    for (const std::string& line : lines) {
        if (file.write(QByteArray::fromStdString(line) + "\r\n") < 0)
            return false;
    }
    return file.flush();
}

bool QtFormServices::Launch(const std::string& program, const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const std::string& argument : arguments)
        args.append(Q(argument));
    return QProcess::startDetached(Q(program), args, QDir::currentPath());
}

std::string QtFormServices::ExecutablePath()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

void QtFormServices::End(int exitCode)
{
    RunUnloadHandler();
    // End at once: no further events, no destructors of windows that are still open.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace orvane2
