#include "base/StrayTemporaries.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <set>
#include <string_view>

#include <dirent.h>
#include <unistd.h>

namespace base {

void RemoveStrayTemporaries(const std::string& target) {
    static std::mutex mutex;
    static std::set<std::string> done;
    {
        const std::lock_guard lock(mutex);
        if (!done.insert(target).second) {
            return;
        }
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string prefix = std::string(".").append(name).append(".tmp-");
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(prefix)) {
            continue;
        }
        const std::string_view rest = entryName.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos ||
            rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos || dash > 9) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace base
