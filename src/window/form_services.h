#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orvane2 {

// The program's title, shown on every message box that has no title of its own.
inline const QString kProgramTitle = QStringLiteral("Orvane2");

// Message box styles the program uses.
enum MsgBoxStyle : int {
    vbOKOnly = 0,        // OK button only
    vbInformation = 64,  // information icon and an OK button
};

// Services the program takes from the desktop form engine: message boxes, the event
// pump, files, launching and ending the process. Everything the start-up, the
// configuration reader and the check cycle do to the outside world goes through here,
// so that they run in tests against a recording fake, without a display or modal boxes.
class FormServices {
public:
    virtual ~FormServices() = default;

    // Modal message box; an empty title shows kProgramTitle.
    virtual void MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {}) = 0;
    // Handles all pending window events once, then returns.
    virtual void DoEvents() = 0;
    // True when an ordinary file of that name exists.
    virtual bool FileExists(const QString& path) = 0;
    // Deletes the named file; true when it is gone afterwards.
    virtual bool Kill(const QString& path) = 0;
    // The whole content of a file, or nothing when it cannot be opened or read.
    virtual std::optional<QByteArray> ReadAll(const QString& path) = 0;
    // Appends each line followed by CR LF, creating the file when it is missing.
    virtual bool AppendLines(const QString& path, const QStringList& lines) = 0;
    // Starts a program with its arguments in the current directory, without waiting.
    virtual bool Launch(const QString& program, const QStringList& arguments) = 0;
    // Unloads the window (running the handler given to SetUnloadHandler) and ends the
    // process at once with the exit code.
    [[noreturn]] virtual void End(int exitCode) = 0;

    // What unloading the window does before the process ends (the window removes its
    // tray icon there).
    void SetUnloadHandler(std::function<void()> handler) { unloadHandler_ = std::move(handler); }

protected:
    void RunUnloadHandler() const
    {
        if (unloadHandler_)
            unloadHandler_();
    }

private:
    std::function<void()> unloadHandler_;
};

}  // namespace orvane2
