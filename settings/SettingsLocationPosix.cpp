// The system side of the settings location: the process's environment and the making of the
// per-user settings folder.

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ProgramPath.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsLocation.h"
#include "sms/BuiltInTexts.h"

namespace settings {
namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> HomeOfPasswdEntry() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1U << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || found->pw_dir == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

SettingsEnvironment SystemSettingsEnvironment() {
    SettingsEnvironment environment;
    environment.programFolder = base::FolderWithSeparator(base::ProgramFilePath());
    environment.xdgConfigHome = Variable("XDG_CONFIG_HOME");
    environment.home = Variable("HOME");
    environment.passwdHome = HomeOfPasswdEntry;
    environment.folderWritable = [](const std::string& folder) {
        return ::access(folder.c_str(), W_OK | X_OK) == 0;
    };
    environment.fileWritable = [](const std::string& path) { return ::access(path.c_str(), W_OK) == 0; };
    return environment;
}

void MakeSettingsFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0 || IsFolder(path.substr(0, slash))) {
        return;
    }
    const std::string folder = path.substr(0, slash);
    // From the top down, so that each folder is made inside one that exists.
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string step = folder.substr(0, end);
        if (::mkdir(step.c_str(), 0700) == 0) {
            // mkdir leaves out what the umask forbids; private settings want exactly 0700.
            ::chmod(step.c_str(), 0700);
        } else if (errno != EEXIST || !IsFolder(step)) {
            throw ProfileWriteError(sms::UnableToWriteText(path), path);
        }
        if (end == std::string::npos) {
            return;
        }
    }
}

}  // namespace settings
