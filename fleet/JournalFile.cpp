#include "fleet/JournalFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/WholeFile.h"
#include "fleet/OutputFile.h"

namespace fleet {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

}  // namespace

// O_NONBLOCK: a FIFO in the journal's place must not block the batch (it is refused as no regular file).
JournalFile::JournalFile(const std::string& path, std::size_t keepBytes)
    : path_(path), fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666)) {
    if (fd_ < 0) {
        throw OutputError(path_, Reason(errno));
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A folder cannot be opened for writing; a FIFO or a device could be, but is no journal.
        const int error = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(fd_);
        throw OutputError(path_, Reason(error));
    }
    if (::ftruncate(fd_, static_cast<off_t>(keepBytes)) != 0 || ::lseek(fd_, 0, SEEK_END) < 0 ||
        ::fdatasync(fd_) != 0) {
        const int error = errno;
        ::close(fd_);
        throw OutputError(path_, Reason(error));
    }
    if (info.st_size == 0) {
        // Without its name in the folder on disk a power cut could lose the whole journal.
        base::SyncFolderOf(path);
    }
}

JournalFile::~JournalFile() {
    ::close(fd_);
}

void JournalFile::Append(std::string_view bytes) {
    if (!base::WriteAll(fd_, bytes) || ::fdatasync(fd_) != 0) {
        throw OutputError(path_, Reason(errno));
    }
}

bool RemoveJournalFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace fleet
