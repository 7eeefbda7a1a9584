#include "base/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsHandle.h"

namespace base {
namespace {

WholeFile Failed(WholeFile::Failure failure, int systemError = 0) {
    return {{}, failure, systemError};
}

// The errno value that tells the same as a Windows error code, so that callers word the reason the
// same on every system (with strerror).
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        default:
            return EIO;
    }
}

}  // namespace

WholeFile ReadWholeFile(const std::string& path, std::size_t maxSize) {
    // Sharing write and delete lets a writer replace the file while it is read, as on POSIX; backup
    // semantics let a folder open, so that it is told apart from a missing file.
    const WindowsHandle file(::CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        return Failed(WholeFile::Failure::CannotOpen, ErrnoOf(::GetLastError()));
    }
    // Devices (NUL, CON, serial ports) and pipes are no files to read whole.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return Failed(WholeFile::Failure::NotRegular);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        return Failed(WholeFile::Failure::CannotStat, ErrnoOf(::GetLastError()));
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failed(WholeFile::Failure::NotRegular);
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxSize) {
        return Failed(WholeFile::Failure::TooLarge);
    }
    WholeFile result;
    std::string& content = result.bytes;
    content.resize(static_cast<std::size_t>(size));
    // Room for one byte past the limit shows a file that grew beyond it while it was read.
    const std::size_t room = maxSize == std::numeric_limits<std::size_t>::max() ? maxSize : maxSize + 1;
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            content.resize(std::min(room, content.size() + 4096));
        }
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - done, std::size_t{1} << 30));
        DWORD got = 0;
        if (!::ReadFile(file.get(), content.data() + done, want, &got, nullptr)) {
            return Failed(WholeFile::Failure::ReadFailed, ErrnoOf(::GetLastError()));
        }
        if (got == 0) {
            break;
        }
        done += got;
        if (done > maxSize) {
            return Failed(WholeFile::Failure::TooLarge);
        }
    }
    content.resize(done);
    return result;
}

}  // namespace base
