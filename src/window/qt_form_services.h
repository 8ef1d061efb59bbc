#pragma once

#include "window/form_services.h"

namespace orvane2 {

// The form engine services on Qt: QMessageBox, the Qt event loop, QFile and QProcess.
class QtFormServices final : public FormServices {
public:
    void MsgBox(const QString& prompt, int style, const QString& title) override;
    void DoEvents() override;
    bool FileExists(const QString& path) override;
    bool Kill(const QString& path) override;
    std::optional<QByteArray> ReadAll(const QString& path) override;
    bool AppendLines(const QString& path, const QStringList& lines) override;
    bool Launch(const QString& program, const QStringList& arguments) override;
    [[noreturn]] void End(int exitCode) override;
};

}  // namespace orvane2
