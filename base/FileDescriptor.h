#pragma once

// Ownership of one POSIX file descriptor: closed when the owner goes, unless closed before.

#include <unistd.h>

namespace base {

class FileDescriptor final {
public:
    // Takes `fd`; a negative value owns nothing (a failed open or socket call).
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }

    // Closes now and tells whether the close succeeded, since a failed close of a written file can
    // mean lost data. False when nothing was owned.
    bool Close() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace base
