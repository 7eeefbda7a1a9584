#include "base/AtomicFile.h"

#include <algorithm>
#include <optional>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsFiles.h"

// The Windows build of AtomicFile. The descriptor is the C runtime's, over the handle of the temporary
// file; Fail takes a Windows error code (GetLastError's kind).

namespace base {

std::optional<std::string> FollowSymlinks(const std::string& path) {
    return FollowLinks(path);
}

AtomicFile::AtomicFile(const std::string& path) : path_(path), target_(path) {
    const std::optional<std::string> target = FollowLinks(path);
    if (!target) {
        throw AtomicFileError(path_, SystemErrorText(ERROR_PATH_NOT_FOUND));
    }
    target_ = *target;
    const DWORD attributes = ::GetFileAttributesW(ToWide(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw AtomicFileError(path_, "it is a folder");
    }
    // A read-only file is not to be replaced, as a file without write permission is not on POSIX.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Fail(ERROR_ACCESS_DENIED);
    }
    RemoveStrayTemporaries(target_);
    std::wstring temporary;
    const HANDLE file = CreateTemporaryBeside(target_, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        // A folder closed to this user; a write-protected medium refuses the file's own writes too.
        const DWORD error = ::GetLastError();
        Fail(static_cast<int>(error), error == ERROR_ACCESS_DENIED);
    }
    temporary_ = ToUtf8(temporary);
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd_ < 0) {
        ::CloseHandle(file);
        Fail(ERROR_TOO_MANY_OPEN_FILES);
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::_close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::DeleteFileW(ToWide(temporary_).c_str());
    }
}

void AtomicFile::Fail(int error, bool folderRefused) {
    if (fd_ >= 0) {
        ::_close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::DeleteFileW(ToWide(temporary_).c_str());
        temporary_.clear();
    }
    throw AtomicFileError(path_, SystemErrorText(static_cast<unsigned long>(error)), folderRefused);
}

void AtomicFile::Write(std::string_view bytes) {
    if (fd_ < 0) {
        throw AtomicFileError(path_, "the file is already closed");
    }
    const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            Fail(::GetLastError());
        }
        bytes.remove_prefix(written);
    }
}

void AtomicFile::Commit() {
    if (fd_ < 0) {
        throw AtomicFileError(path_, "the file is already closed");
    }
    // The data must be on the disk before the new name points at it, or a power cut could leave an
    // empty file.
    if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd_)))) {
        Fail(::GetLastError());
    }
    const int fd = fd_;
    fd_ = -1;
    if (::_close(fd) != 0) {
        Fail(ERROR_WRITE_FAULT);
    }
    if (const unsigned long error = PutInPlace(ToWide(temporary_), ToWide(target_)); error != 0) {
        Fail(static_cast<int>(error));
    }
    committed_ = true;
}

}  // namespace base
