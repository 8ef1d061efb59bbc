// SPDX-License-Identifier: MIT
#include "win32/whole_file.h"

#include "win32/unique_handle.h"

#include <windows.h>

#include <algorithm>

namespace orvane2::win32 {

namespace {

// A file of this write, deleted at the end of its owner's life unless kept.
class NewFile {
public:
    explicit NewFile(std::wstring path) : path_(std::move(path)) {}
    ~NewFile()
    {
        if (!kept_)
            DeleteFileW(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    const std::wstring& Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    std::wstring path_;
    bool kept_ = false;
};

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, std::string_view bytes)
{
    // The new file's name is the target's with a suffix: the same folder, so that the
    // move that puts it in place is a rename on one volume.
    const std::wstring stem = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        NewFile temporary(stem + std::to_wstring(attempt) + L".tmp");
        bool written = false;
        {
            const UniqueHandle file(CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                // Nothing of this write exists: the destructor must not delete another's file.
                const DWORD error = GetLastError();
                temporary.Keep();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                    continue;
                return false;
            }
            written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
        }  // closed before it moves
        if (!written ||
            !MoveFileExW(temporary.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        temporary.Keep();
        return true;
    }
    return false;
}

}  // namespace orvane2::win32
