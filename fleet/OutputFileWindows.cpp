#include "fleet/OutputFile.h"

#include <algorithm>
#include <optional>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsFiles.h"

// The Windows build of OutputFile. The descriptor is the C runtime's, over the handle of the temporary
// file; Fail takes a Windows error code (GetLastError's kind).

namespace fleet {

OutputFile::OutputFile(const std::string& path) : path_(path), target_(path) {
    const std::optional<std::string> target = base::FollowLinks(path);
    if (!target) {
        throw OutputError(path_, base::SystemErrorText(ERROR_PATH_NOT_FOUND));
    }
    target_ = *target;
    const DWORD attributes = ::GetFileAttributesW(base::ToWide(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw OutputError(path_, "it is a folder");
    }
    // A read-only file is not to be replaced, as a file without write permission is not on POSIX.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Fail(ERROR_ACCESS_DENIED);
    }
    std::wstring temporary;
    const HANDLE file = base::CreateTemporaryBeside(target_, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        Fail(::GetLastError());
    }
    temporary_ = base::ToUtf8(temporary);
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd_ < 0) {
        ::CloseHandle(file);
        Fail(ERROR_TOO_MANY_OPEN_FILES);
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::_close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::DeleteFileW(base::ToWide(temporary_).c_str());
    }
}

void OutputFile::Fail(int error) {
    if (fd_ >= 0) {
        ::_close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::DeleteFileW(base::ToWide(temporary_).c_str());
        temporary_.clear();
    }
    throw OutputError(path_, base::SystemErrorText(static_cast<unsigned long>(error)));
}

void OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) {
        throw OutputError(path_, "the file is already closed");
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

void OutputFile::Commit() {
    if (fd_ < 0) {
        throw OutputError(path_, "the file is already closed");
    }
    if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd_)))) {
        Fail(::GetLastError());
    }
    const int fd = fd_;
    fd_ = -1;
    if (::_close(fd) != 0) {
        Fail(ERROR_WRITE_FAULT);
    }
    if (const unsigned long error = base::PutInPlace(base::ToWide(temporary_), base::ToWide(target_));
        error != 0) {
        Fail(static_cast<int>(error));
    }
    committed_ = true;
}

}  // namespace fleet
