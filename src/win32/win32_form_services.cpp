// SPDX-License-Identifier: MIT
#include "win32/win32_form_services.h"

#include "win32/command_line.h"
#include "win32/guarded_call.h"
#include "win32/unique_handle.h"
#include "win32/whole_file.h"
#include "win32/wide_text.h"

#include <optional>
#include <system_error>

namespace orvane2::win32 {

namespace {

constexpr wchar_t kPostedWindowClass[] = L"Orvane2Posted";
constexpr DWORD kPieceBytes = 1 << 20;

}  // namespace

Win32FormServices::Win32FormServices()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PostedWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kPostedWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when services before registered it
    postedWindow_ = CreateWindowExW(0, kPostedWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    if (postedWindow_ == nullptr)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateWindowExW");
    SetWindowLongPtrW(postedWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32FormServices::~Win32FormServices()
{
    // Its wake-ups go with it; tasks still queued are dropped.
    DestroyWindow(postedWindow_);
}

void Win32FormServices::PostToWindow(std::function<void()> task)
{
    posted_.Post(std::move(task));
}

LRESULT CALLBACK Win32FormServices::PostedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* services = reinterpret_cast<Win32FormServices*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != kRunPosted || services == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    CallGuarded(*services, [services] { services->posted_.RunAll(); });
    return 0;
}

void Win32FormServices::Defer(std::exception_ptr error)
{
    if (!pendingError_)
        pendingError_ = std::move(error);
}

void Win32FormServices::PumpOne(const MSG& message)
{
    TranslateMessage(&message);
    DispatchMessageW(&message);
    if (pendingError_) {
        std::exception_ptr error = pendingError_;
        pendingError_ = nullptr;
        std::rethrow_exception(error);
    }
}

int Win32FormServices::RunMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        PumpOne(message);
    return static_cast<int>(message.wParam);
}

void ShowErrorBox(const std::string& description, const std::string& title)
{
    // The window, destroyed before the box, left a quit message in the thread's queue: a
    // box's loop ends at once on it, and the box would be gone before anyone read it.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    MessageBoxW(nullptr, Widen(description).c_str(), Widen(title).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void Win32FormServices::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    const std::wstring caption = Widen(title.empty() ? std::string(kProgramTitle) : title);
    // A hidden window (start-up has not shown it yet, or it sits in the tray) would hide
    // the box from the task bar: then the box stands alone.
    const HWND owner = owner_ != nullptr && IsWindowVisible(owner_) ? owner_ : nullptr;
    const UINT type = static_cast<UINT>(style) | MB_SETFOREGROUND;
    MessageBoxW(owner, Widen(prompt).c_str(), caption.c_str(), type);
}

void Win32FormServices::ShowNotice(const std::string& prompt)
{
    notices_.Show(prompt, kProgramTitle);
}

void Win32FormServices::DoEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit belongs to the main loop: put it back for it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        PumpOne(message);
    }
}

FileLookup Win32FormServices::LookUpFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileLookup::Missing : FileLookup::File;
    // Only these errors say that nothing is there; access denied, a sharing violation or
    // a network that does not answer leave the file possibly there.
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return FileLookup::Missing;
        default:
            return FileLookup::Unreachable;
    }
}

bool Win32FormServices::Kill(const std::string& path)
{
    const std::wstring wide = Widen(path);
    if (DeleteFileW(wide.c_str()))
        return true;
    return GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool Win32FormServices::ReadBytes(const std::string& path, const std::function<bool(std::string_view)>& take)
{
    const UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    std::string piece(kPieceBytes, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), piece.data(), kPieceBytes, &got, nullptr))
            return false;
        if (got == 0 || !take(std::string_view(piece.data(), got)))
            return true;
    }
}

bool Win32FormServices::AppendLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::wstring text;
    for (const std::string& line : lines)
        text += Widen(line) + L"\r\n";
    // The system's code page, which the command interpreter and older tools read; text
    // that it cannot hold whole goes out as UTF-8 instead, so that nothing is lost.
    std::optional<std::string> bytes = ToCodePage(text, CP_ACP);
    if (!bytes)
        bytes = Narrow(text);
    const UniqueHandle file(CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr) &&
           written == bytes->size();
}

bool Win32FormServices::WriteWholeFile(const std::string& path, std::string_view bytes)
{
    return win32::WriteWholeFile(Widen(path), bytes);
}

bool Win32FormServices::Launch(const std::string& program, const std::vector<std::string>& arguments)
{
    const std::wstring application = Widen(program);
    std::vector<std::wstring> wideArguments;
    for (const std::string& argument : arguments)
        wideArguments.push_back(Widen(argument));
    // The program is named exactly (no search) and its arguments quoted one by one; no
    // command interpreter is involved, so no character of an argument can run anything.
    std::wstring commandLine = BuildCommandLine(application, wideArguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::string Win32FormServices::ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

void Win32FormServices::End(int exitCode)
{
    RunUnloadHandler();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace orvane2::win32
