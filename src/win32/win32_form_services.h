// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "win32/notice_boxes.h"

#include <windows.h>

#include <deque>
#include <exception>
#include <functional>
#include <mutex>

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
    bool FileExists(const std::string& path) override;
    bool Kill(const std::string& path) override;
    bool ReadText(const std::string& path, const std::function<void(std::string_view)>& take) override;
    bool AppendLines(const std::string& path, const std::vector<std::string>& lines) override;
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override;
    std::string ExecutablePath() override;
    [[noreturn]] void End(int exitCode) override;

    // Dispatches one message. An exception that a window procedure caught on its way
    // out of the Windows API is raised again here, outside of it.
    void PumpOne(const MSG& message);
    // Keeps an exception of a window procedure until the message that raised it has
    // been dispatched: C++ exceptions must not unwind through the system's frames.
    void Defer(std::exception_ptr error);
    // The notices still open.
    int OpenNotices() const { return notices_.OpenCount(); }

private:
    static LRESULT CALLBACK PostedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the posted tasks, oldest first, until none is left. While more wait behind a
    // task, a wake-up is kept in the queue, so that a task that opens a modal box (whose
    // loop dispatches the wake-up) holds up none of the others; a burst of tasks costs a
    // message or two, not one each.
    void RunPosted();
    // Posts the wake-up unless one is already in the window's queue; under postedMutex_.
    void WakeLocked();

    // Tasks pass from thread to thread under the mutex; a message to a message-only
    // window of this thread wakes it, in its main loop or in any modal loop it runs.
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
    bool wakePending_ = false;
    HWND postedWindow_ = nullptr;
    HWND owner_ = nullptr;
    std::exception_ptr pendingError_;
    NoticeBoxes notices_;
};

}  // namespace orvane2::win32
