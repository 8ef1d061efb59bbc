// SPDX-License-Identifier: MIT
#include "qt/qt_form_services.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orvane2 {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

constexpr qint64 kPieceBytes = qint64{1} << 20;

}  // namespace

QtFormServices::QtFormServices()
    : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), posted_([this] {
          const std::uint64_t one = 1;
          // Only fails when the counter is full, and then a wake-up is pending anyway.
          [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
          return true;
      })
{
    if (wakeFd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    wakeNotifier_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
    QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, [this] {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        posted_.RunAll();
    });
}

QtFormServices::~QtFormServices()
{
    wakeNotifier_.reset();
    ::close(wakeFd_);
}

void QtFormServices::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    const auto icon = (style & vbInformation) ? QMessageBox::Information : QMessageBox::NoIcon;
    QMessageBox box(icon, Q(title.empty() ? kProgramTitle : title), Q(prompt), QMessageBox::Ok);
    box.exec();
}

void QtFormServices::ShowNotice(const std::string& prompt)
{
    QPointer<QMessageBox>& box = notices_[prompt];
    if (box && box->isVisible())
        return;
    box = new QMessageBox(QMessageBox::NoIcon, QString::fromUtf8(kProgramTitle), Q(prompt), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A message box is modal by default: this one blocks neither the window nor the tray
    // icon, and as it comes up on its own while the user works elsewhere, it takes no
    // keyboard focus.
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();  // not exec(): nobody waits for it
}

void QtFormServices::DoEvents()
{
    QCoreApplication::processEvents();
}

void QtFormServices::PostToWindow(std::function<void()> task)
{
    posted_.Post(std::move(task));
}

FileLookup QtFormServices::LookUpFile(const std::string& path)
{
    // QFileInfo does not say why it found nothing: the system's error does. A folder on
    // the way that this process may not enter (the program holds no capability, so even
    // root meets another user's closed home) is no proof that the file is missing.
    std::error_code error;
    const std::filesystem::file_status found = std::filesystem::status(path, error);
    if (std::filesystem::is_regular_file(found))
        return FileLookup::File;
    return found.type() == std::filesystem::file_type::none ? FileLookup::Unreachable : FileLookup::Missing;
}

bool QtFormServices::Kill(const std::string& path)
{
    QFile::remove(Q(path));
    return !QFileInfo::exists(Q(path));
}

bool QtFormServices::ReadBytes(const std::string& path, const std::function<bool(std::string_view)>& take)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::string piece(static_cast<std::size_t>(kPieceBytes), '\0');
    for (;;) {
        const qint64 got = file.read(piece.data(), kPieceBytes);
        if (got <= 0)
            return got == 0;
        if (!take(std::string_view(piece.data(), static_cast<std::size_t>(got))))
            return true;
    }
}

bool QtFormServices::WriteWholeFile(const std::string& path, std::string_view bytes)
{
    // A file beside the target, renamed over it once whole; dropped on any failure.
    QSaveFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(bytes.data(), size) == size && file.commit();
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
