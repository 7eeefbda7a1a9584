#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/StrayTemporaries.h"
#include "base/WholeFile.h"

namespace base {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::string> FollowSymlinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            return std::nullopt;
        }
        link.resize(static_cast<std::size_t>(n));
        current = (link.front() == '/') ? link : FolderOf(current).append("/").append(link);
    }
    return std::nullopt;
}

AtomicFile::AtomicFile(const std::string& path) : path_(path), target_(path) {
    static std::atomic<unsigned> counter{0};
    const std::optional<std::string> target = FollowSymlinks(path);
    if (!target) {
        throw AtomicFileError(path_, Reason(ELOOP));
    }
    target_ = *target;
    struct stat old {};
    const bool existed = ::stat(target_.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        throw AtomicFileError(path_, "it is a folder");
    }
    const std::string folder = FolderOf(target_);
    const std::string name = NameOf(target_);
    // Each run has a new process id: what a killed writer left would pile up.
    RemoveStrayTemporaries(target_);
    // Root may create files in any folder; one that nobody may write is still meant to stay as it is.
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) == 0 && (folderInfo.st_mode & 0222) == 0) {
        Fail(EACCES, true);
    }
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = std::string(folder).append("/.").append(name).append(".tmp-");
        temporary_.append(std::to_string(::getpid())).append("-").append(std::to_string(counter++));
        // 0666 lets the umask decide for a new file, as any editor would create it.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            // A read-only file system refuses every write, the file's own too: no refusal of the
            // folder alone.
            Fail(error, error == EACCES || error == EPERM);
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        Fail(EEXIST);
    }
    if (existed && S_ISREG(old.st_mode)) {
        // A root process keeps the owner; for anyone else fchown fails harmlessly.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd_, old.st_uid, old.st_gid);
        }
        if (::fchmod(fd_, old.st_mode & 07777) != 0) {
            Fail(errno);
        }
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void AtomicFile::Fail(int error, bool folderRefused) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    throw AtomicFileError(path_, Reason(error), folderRefused);
}

void AtomicFile::Write(std::string_view bytes) {
    if (fd_ < 0) {
        throw AtomicFileError(path_, "the file is already closed");
    }
    if (!WriteAll(fd_, bytes)) {
        Fail(errno);
    }
}

void AtomicFile::Commit() {
    if (fd_ < 0) {
        throw AtomicFileError(path_, "the file is already closed");
    }
    if (::fsync(fd_) != 0) {
        Fail(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    // A failed close can mean lost data on some file systems (NFS), so it counts as a failed write.
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    committed_ = true;
    SyncFolderOf(target_);
}

}  // namespace base
