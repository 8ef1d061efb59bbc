// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"

#include <QByteArray>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <map>

namespace orvane2 {

// The desktop's services on Qt: QMessageBox, the Qt event loop, a worker thread, QFile
// and QProcess.
class QtFormServices final : public FormServices {
public:
    void MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void ShowNotice(const std::string& prompt) override;
    void DoEvents() override;
    void AwaitOffThread(const std::function<void()>& work) override;
    FileLookup LookUpFile(const std::string& path) override;
    bool Kill(const std::string& path) override;
    bool ReadText(const std::string& path, const std::function<void(std::string_view)>& take) override;
    bool AppendLines(const std::string& path, const std::vector<std::string>& lines) override;
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override;
    std::string ExecutablePath() override;
    [[noreturn]] void End(int exitCode) override;

private:
    std::map<std::string, QPointer<QMessageBox>> notices_;  // by text; null once closed
};

}  // namespace orvane2
