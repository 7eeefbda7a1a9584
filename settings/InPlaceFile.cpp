#include "settings/InPlaceFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileDescriptor.h"
#include "base/WholeFile.h"

namespace settings {
namespace {

bool ReadAll(int fd, std::string& bytes) {
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace

bool RewriteFileInPlace(const std::string& target, const std::string& content) {
    const base::FileDescriptor file(::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    // Kept to be put back when the new content cannot be written whole.
    std::string old;
    if (!ReadAll(file.get(), old)) {
        return false;
    }
    // Written whole before the cut: a shorter new content leaves the old tail only until the cut, a
    // longer one grows the file as it goes, and at no point is the file empty.
    if (::lseek(file.get(), 0, SEEK_SET) != 0 || !base::WriteAll(file.get(), content) ||
        ::ftruncate(file.get(), static_cast<off_t>(content.size())) != 0) {
        // Up to the old length the blocks exist already, so writing the old bytes back rarely fails
        // where the new ones did.
        if (::lseek(file.get(), 0, SEEK_SET) == 0 && base::WriteAll(file.get(), old)) {
            [[maybe_unused]] const int cut = ::ftruncate(file.get(), static_cast<off_t>(old.size()));
        }
        ::fsync(file.get());
        return false;
    }
    return ::fsync(file.get()) == 0;
}

}  // namespace settings
