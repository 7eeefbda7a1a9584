#include "settings/WriteTarget.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace settings {

WriteTarget CheckWriteTarget(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? WriteTarget::Missing : WriteTarget::Refused;
    }
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
        return WriteTarget::Refused;
    }
    return WriteTarget::Writable;
}

}  // namespace settings
