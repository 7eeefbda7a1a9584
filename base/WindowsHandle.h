#pragma once

// Ownership of one Windows kernel handle (a file, a process): closed when the owner goes, unless
// closed before. Windows builds only.

#include <windows.h>

namespace base {

class WindowsHandle final {
public:
    // Takes `handle`; INVALID_HANDLE_VALUE or null owns nothing (a failed open).
    explicit WindowsHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~WindowsHandle() { Close(); }
    WindowsHandle(const WindowsHandle&) = delete;
    WindowsHandle& operator=(const WindowsHandle&) = delete;

    HANDLE get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

    // Closes now and tells whether the close succeeded; false when nothing was owned.
    bool Close() noexcept {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

}  // namespace base
