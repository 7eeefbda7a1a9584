#include "i18n/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

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

MappedFile::MappedFile(const std::string& fileName) {
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        throw EGGIOError("Cannot open file " + fileName);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        throw EGGIOError("Cannot create memory map on file " + fileName);
    }
    // A directory opens fine for reading on Linux but cannot be mapped; it is not a file to open.
    if (!S_ISREG(status.st_mode)) {
        throw EGGIOError("Cannot open file " + fileName);
    }
    if (status.st_size < 0 ||
        static_cast<std::uint64_t>(status.st_size) > std::numeric_limits<std::size_t>::max()) {
        throw EGGIOError("Cannot create memory map on file " + fileName);
    }
    size_ = static_cast<std::size_t>(status.st_size);
    // mmap refuses a zero length; an empty file simply has no bytes to look at.
    if (size_ == 0) {
        return;
    }
    void* view = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, file.Get(), 0);
    if (view == MAP_FAILED) {
        const int error = errno;
        size_ = 0;
        throw EGGIOError("Cannot map file " + fileName + " into memory. Reason: " + std::strerror(error));
    }
    view_ = view;
}

MappedFile::~MappedFile() {
    if (view_ != nullptr) {
        ::munmap(view_, size_);
    }
}

}  // namespace i18n
