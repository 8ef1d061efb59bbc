// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane2 {

// The program's title, shown on every message box that has no title of its own.
inline constexpr const char* kProgramTitle = "Orvane2";

// Message box styles the program uses.
enum MsgBoxStyle : int {
    vbOKOnly = 0,        // OK button only
    vbInformation = 64,  // information icon and an OK button
};

// What a look at a path finds.
enum class FileLookup {
    File,         // an ordinary file
    Missing,      // nothing of that name, or something that is not an ordinary file
    Unreachable,  // the system would not look: a folder on the way may not be entered
};

// Services the program takes from the desktop: message boxes, the event pump and the
// queue of the window's thread, files, launching and ending the process. All text is
// UTF-8, paths included. Every call but PostToWindow comes from the window's thread.
// Start-up, the reader and the check cycle reach the outside world only through here,
// so that they run in tests against a recording fake, without a display or modal boxes.
class FormServices {
public:
    virtual ~FormServices() = default;

    // Modal message box; an empty title shows kProgramTitle.
    virtual void MsgBox(const std::string& prompt, int style = vbOKOnly, const std::string& title = {}) = 0;
    // A message box (OK button, kProgramTitle) that does not wait: the caller goes on
    // while it is open. While a box with the same text is still open, none is added.
    virtual void ShowNotice(const std::string& prompt) = 0;
    // Handles all pending window events once, then returns.
    virtual void DoEvents() = 0;
    // Has task run on the window's thread, as an event of its own queued behind the
    // events already waiting: the way results found on other threads reach the window.
    // Any thread may call it, at any time while the services exist, and it returns at
    // once without waiting for the task. Tasks run one at a time, each exactly once, in
    // the order they were posted (from one thread; from several, in the order the calls
    // took effect), whenever the window's thread handles events: in its main loop, in
    // DoEvents, and inside any loop of a modal box, menu or dialog that is open, so
    // that an open box holds none of them up. A task may itself post. Tasks still
    // queued when the services are destroyed are dropped without running.
    virtual void PostToWindow(std::function<void()> task) = 0;
    // Whether an ordinary file of that name exists. A path that cannot be looked at is
    // Unreachable, not Missing: the file may well be there.
    virtual FileLookup LookUpFile(const std::string& path) = 0;
    bool FileExists(const std::string& path) { return LookUpFile(path) == FileLookup::File; }
    // Deletes the named file; true when it is gone afterwards.
    virtual bool Kill(const std::string& path) = 0;
    // Hands take the file's bytes as they stand, from its start, a piece of at most a
    // mebibyte at a time (cut anywhere), until its end or until take returns false. False
    // when the file cannot be opened or a read fails. Each call reads the file afresh.
    virtual bool ReadBytes(const std::string& path, const std::function<bool(std::string_view)>& take) = 0;
    // Appends each line followed by CR LF, creating the file when it is missing.
    virtual bool AppendLines(const std::string& path, const std::vector<std::string>& lines) = 0;
    // Writes bytes as the whole file at path, or nothing: into a new file beside it that
    // then takes its place. False when any step fails, and then no file of this write is
    // left behind and a file that was there before is as it was.
    virtual bool WriteWholeFile(const std::string& /*path*/, std::string_view /*bytes*/) { return false; }
    // Starts a program with its arguments in the current directory, without waiting
    // and without a shell: every argument arrives as it stands.
    virtual bool Launch(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // The full path of this program's own executable.
    virtual std::string ExecutablePath() = 0;
    // The time of day now; when a host's state changed is taken from here.
    virtual std::chrono::system_clock::time_point Now() { return std::chrono::system_clock::now(); }
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
