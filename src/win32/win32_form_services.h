// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/posted_tasks.h"
#include "win32/notice_boxes.h"

#include <windows.h>

#include <exception>
#include <functional>

namespace orvane2::win32 {

// The form services on the Windows API: message boxes, the event pump and the queue of
// the window's thread, files, launching and ending the process. Paths and text arrive as
// UTF-8 and go to the W functions as UTF-16. Made and destroyed on the window's thread.
class Win32FormServices final : public FormServices {
public:
    // Throws std::system_error when the system refuses the window that posted tasks are
    // delivered to.
    Win32FormServices();
    ~Win32FormServices() override;
    Win32FormServices(const Win32FormServices&) = delete;
    Win32FormServices& operator=(const Win32FormServices&) = delete;

    // Message boxes belong to this window while it is shown.
    void SetOwner(HWND owner) { owner_ = owner; }

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

    // Dispatches one message. An exception that a window procedure caught on its way
    // out of the Windows API is raised again here, outside of it.
    void PumpOne(const MSG& message);
    // The thread's message loop, until WM_QUIT: returns its exit code. What a window
    // procedure threw comes out of here (PumpOne).
    int RunMessageLoop();
    // Keeps an exception of a window procedure until the message that raised it has
    // been dispatched: C++ exceptions must not unwind through the system's frames.
    void Defer(std::exception_ptr error);
    // The notices still open.
    int OpenNotices() const { return notices_.OpenCount(); }

private:
    static constexpr UINT kRunPosted = WM_APP + 10;
    static LRESULT CALLBACK PostedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // A message to a message-only window of this thread wakes it for the posted tasks, in
    // its main loop or in any modal loop it runs.
    HWND postedWindow_ = nullptr;
    PostedTasks posted_{[this] { return PostMessageW(postedWindow_, kRunPosted, 0, 0) != FALSE; }};
    HWND owner_ = nullptr;
    std::exception_ptr pendingError_;
    NoticeBoxes notices_;
};

// Tells an error in a modal box of its own (information icon), for RunToTheEnd: the
// window may be gone, and the services with it.
void ShowErrorBox(const std::string& description, const std::string& title);

}  // namespace orvane2::win32
