#pragma once

#include "window/form_services.h"

#include <QMap>
#include <functional>
#include <stdexcept>
#include <vector>

namespace orvane2::testing {

// Thrown by the fake's End so that the code under test stops where the real program
// would have ended.
struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int code) : std::runtime_error("program ended"), exitCode(code) {}
    int exitCode;
};

struct ShownMessage {
    QString prompt;
    int style;
    QString title;  // as shown: the program's title when none was given
};

// Form engine services over an in-memory file system, recording what the program did.
class RecordingFormServices final : public FormServices {
public:
    void MsgBox(const QString& prompt, int style, const QString& title) override
    {
        messages.push_back({prompt, style, title.isEmpty() ? kProgramTitle : title});
        log.append(QStringLiteral("MsgBox"));
        if (onMsgBox)
            onMsgBox(messages.back());
    }
    void DoEvents() override
    {
        ++doEventsCalls;
        log.append(QStringLiteral("DoEvents"));
        if (onDoEvents)
            onDoEvents();
    }
    bool FileExists(const QString& path) override { return files.contains(path); }
    bool Kill(const QString& path) override
    {
        files.remove(path);
        log.append(QStringLiteral("Kill ") + path);
        return true;
    }
    std::optional<QByteArray> ReadAll(const QString& path) override
    {
        if (unreadable.contains(path) || !files.contains(path))
            return std::nullopt;
        return files.value(path);
    }
    bool AppendLines(const QString& path, const QStringList& lines) override
    {
        for (const QString& line : lines)
            files[path] += line.toUtf8() + "\r\n";
        log.append(QStringLiteral("Append ") + path);
        return true;
    }
    bool Launch(const QString& program, const QStringList& arguments) override
    {
        launches.push_back(QStringList{program} + arguments);
        log.append(QStringLiteral("Launch ") + program);
        return true;
    }
    [[noreturn]] void End(int exitCode) override
    {
        RunUnloadHandler();
        log.append(QStringLiteral("End %1").arg(exitCode));
        throw ProgramEnded(exitCode);
    }

    QStringList Prompts() const
    {
        QStringList prompts;
        for (const ShownMessage& m : messages)
            prompts.append(m.prompt);
        return prompts;
    }

    QMap<QString, QByteArray> files;
    QStringList unreadable;
    std::vector<ShownMessage> messages;
    std::vector<QStringList> launches;
    QStringList log;
    int doEventsCalls = 0;
    std::function<void(const ShownMessage&)> onMsgBox;
    std::function<void()> onDoEvents;
};

}  // namespace orvane2::testing
