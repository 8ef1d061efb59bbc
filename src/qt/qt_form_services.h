// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"

#include <QByteArray>
#include <QString>

namespace orvane2 {

// The desktop's services on Qt: QMessageBox, the Qt event loop, QFile and QProcess.
class QtFormServices final : public FormServices {
public:
    void MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void DoEvents() override;
    bool FileExists(const std::string& path) override;
    bool Kill(const std::string& path) override;
    std::optional<std::string> ReadText(const std::string& path) override;
    bool AppendLines(const std::string& path, const std::vector<std::string>& lines) override;
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override;
    std::string ExecutablePath() override;
    [[noreturn]] void End(int exitCode) override;
};

// A configuration file's bytes as UTF-8 text: taken as UTF-8 when they are valid UTF-8
// (a leading byte-order mark dropped), otherwise as Windows-1251.
std::string DecodeConfigBytes(const QByteArray& bytes);

}  // namespace orvane2
