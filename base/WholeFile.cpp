#include "base/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileDescriptor.h"

namespace base {
namespace {

WholeFile Failed(WholeFile::Failure failure, int systemError = 0) {
    return {{}, failure, systemError};
}

}  // namespace

WholeFile ReadWholeFile(const std::string& path, std::size_t maxSize) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid()) {
        return Failed(WholeFile::Failure::CannotOpen, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return Failed(WholeFile::Failure::CannotStat, errno);
    }
    // A folder opens fine for reading on Linux, and a FIFO would never end.
    if (!S_ISREG(info.st_mode)) {
        return Failed(WholeFile::Failure::NotRegular);
    }
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxSize) {
        return Failed(WholeFile::Failure::TooLarge);
    }
    WholeFile result;
    std::string& content = result.bytes;
    content.resize(static_cast<std::size_t>(info.st_size));
    // Room for one byte past the limit shows a file that grew beyond it while it was read.
    const std::size_t room = maxSize == std::numeric_limits<std::size_t>::max() ? maxSize : maxSize + 1;
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            // The file may have grown since fstat; the end is where read() says so.
            content.resize(std::min(room, content.size() + 4096));
        }
        const ssize_t n = ::read(file.get(), content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failed(WholeFile::Failure::ReadFailed, errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
        if (done > maxSize) {
            return Failed(WholeFile::Failure::TooLarge);
        }
    }
    content.resize(done);
    return result;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace base
