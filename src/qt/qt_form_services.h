// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/posted_tasks.h"

#include <QByteArray>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <map>
#include <memory>

namespace orvane2 {

// The desktop's services on Qt: QMessageBox, the Qt event loop, QFile and QProcess.
// Made on the window's thread, once the application exists.
class QtFormServices final : public FormServices {
public:
    QtFormServices();
    ~QtFormServices() override;
    QtFormServices(const QtFormServices&) = delete;
    QtFormServices& operator=(const QtFormServices&) = delete;

    void MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void ShowNotice(const std::string& prompt) override;
    void DoEvents() override;
    void PostToWindow(std::function<void()> task) override;
    FileLookup LookUpFile(const std::string& path) override;
    bool Kill(const std::string& path) override;
    bool ReadBytes(const std::string& path, const std::function<bool(std::string_view)>& take) override;
    bool AppendLines(const std::string& path, const std::vector<std::string>& lines) override;
    bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override;
    std::string ExecutablePath() override;
    [[noreturn]] void End(int exitCode) override;

private:
    // Posted tasks pass from thread to thread under a std::mutex, which ThreadSanitizer
    // sees (Qt's own locks and queue it cannot see into); an eventfd, watched by a
    // socket notifier, only wakes the window's thread, in whatever loop it runs.
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
    PostedTasks posted_;
    std::map<std::string, QPointer<QMessageBox>> notices_;  // by text; null once closed
};

}  // namespace orvane2
