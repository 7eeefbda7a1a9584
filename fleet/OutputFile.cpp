#include "fleet/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/WholeFile.h"

namespace fleet {
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

// `path` with its chain of symbolic links followed, so that the link stays and the file it leads to
// (which may not exist yet) gets the new content.
std::string FollowLinks(const std::string& path) {
    std::filesystem::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error)) {
            return current.string();
        }
        const std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error) {
            throw OutputError(path, error.message());
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    throw OutputError(path, Reason(ELOOP));
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path), target_(path) {
    static std::atomic<unsigned> counter{0};
    target_ = FollowLinks(path);
    struct stat old {};
    const bool existed = ::stat(target_.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        throw OutputError(path_, "it is a folder");
    }
    const std::string folder = FolderOf(target_);
    const std::string name = NameOf(target_);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = std::string(folder).append("/.").append(name).append(".tmp-");
        temporary_.append(std::to_string(::getpid())).append("-").append(std::to_string(counter++));
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            Fail(errno);
        }
    }
    if (fd_ < 0) {
        Fail(EEXIST);
    }
    if (existed && S_ISREG(old.st_mode) && ::fchmod(fd_, old.st_mode & 07777) != 0) {
        Fail(errno);
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void OutputFile::Fail(int error) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    throw OutputError(path_, Reason(error));
}

void OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) {
        throw OutputError(path_, "the file is already closed");
    }
    if (!base::WriteAll(fd_, bytes)) {
        Fail(errno);
    }
}

void OutputFile::Commit() {
    if (fd_ < 0) {
        throw OutputError(path_, "the file is already closed");
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
    // The rename lives in the folder; without this a power cut could bring the old file back.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace fleet
