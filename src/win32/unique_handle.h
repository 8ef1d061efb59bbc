// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace orvane2::win32 {

// A kernel handle (file, event) closed at the end of its owner's life. Both null and
// INVALID_HANDLE_VALUE mean none: CreateFile fails with the one, CreateEvent with the other.
class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle()
    {
        if (*this)
            CloseHandle(handle_);
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace orvane2::win32
