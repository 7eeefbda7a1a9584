#include "i18n/CatalogFileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "i18n/Errors.h"

namespace i18n {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const noexcept { return fd_; }

private:
    int fd_;
};

}  // namespace

CatalogFileBytes::CatalogFileBytes(const std::string& fileName) {
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        throw EGGIOError("Cannot open file " + fileName);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        throw EGGIOError("Cannot create memory map on file " + fileName);
    }
    // A directory opens fine for reading on Linux; it is no file to take a catalog from.
    if (!S_ISREG(status.st_mode)) {
        throw EGGIOError("Cannot open file " + fileName);
    }
    if (status.st_size < 0 || static_cast<std::uint64_t>(status.st_size) > kMaxSize) {
        throw EGGIOError("Cannot create memory map on file " + fileName);
    }
    bytes_.resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    // The file may shrink while it is read; what arrived is what the catalog holds, and the
    // catalog's own checks refuse it when that is no longer a whole catalog.
    while (filled < bytes_.size()) {
        const ssize_t got = ::read(file.Get(), bytes_.data() + filled, bytes_.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            throw EGGIOError("Cannot map file " + fileName + " into memory. Reason: " + std::strerror(error));
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes_.resize(filled);
}

}  // namespace i18n
