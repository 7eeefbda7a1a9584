#include "sms/AtomicFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileDescriptor.h"
#include "base/StrayTemporaries.h"
#include "base/WholeFile.h"

namespace sms {
namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new, empty temporary file for `name` in `folder` and sets `path` to it; the descriptor,
// or -1 when no file could be created (errno says why).
int CreateTemporary(const std::string& folder, const std::string& name, std::string& path) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = std::string(folder).append("/.").append(name).append(".tmp-");
        path.append(std::to_string(::getpid())).append("-").append(std::to_string(counter++));
        // 0666 lets the umask decide for a new file, as any editor would create it.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
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

ReplaceResult ReplaceFileAtomically(const std::string& target, const std::string& content) {
    const std::string folder = FolderOf(target);
    const std::string name =
        target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);

    base::RemoveStrayTemporaries(folder + "/" + name);

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // Root may create files in any folder; one that nobody may write is still meant to stay as it is.
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) == 0 && (folderInfo.st_mode & 0222) == 0) {
        return ReplaceResult::FolderRefused;
    }

    std::string temporary;
    base::FileDescriptor file(CreateTemporary(folder, name, temporary));
    if (!file.valid()) {
        // A read-only file system refuses every write, the file's own too: that is no refusal of the
        // folder alone.
        return (errno == EACCES || errno == EPERM) ? ReplaceResult::FolderRefused : ReplaceResult::Failed;
    }
    bool ok = true;
    if (existed) {
        // A root process keeps the owner; for anyone else fchown fails harmlessly.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(file.get(), old.st_uid, old.st_gid);
        }
        ok = ::fchmod(file.get(), old.st_mode & 07777) == 0;
    }
    ok = ok && base::WriteAll(file.get(), content) && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return ReplaceResult::Failed;
    }
    // The rename itself lives in the folder; without this a power cut could bring the old file back.
    const base::FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        ::fsync(dir.get());
    }
    return ReplaceResult::Replaced;
}

}  // namespace sms
