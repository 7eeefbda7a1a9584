#include "base/StrayTemporaries.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>

#include <dirent.h>
#include <unistd.h>

namespace base {
namespace {

constexpr std::string_view kMark = ".tmp-";

// The writer's process id in `rest`, the part of a temporary file's name after ".tmp-": "<pid>-<n>".
std::optional<pid_t> WriterOf(std::string_view rest) {
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size() ||
        rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos ||
        rest.substr(dash + 1).find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
}

// Deletes the temporary files in `folder` whose names begin with `prefix` (any ".<name>" when empty)
// and whose writer no longer runs.
void Sweep(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        std::size_t restAt = 0;
        if (!prefix.empty()) {
            restAt = name.starts_with(prefix) ? prefix.size() : 0;
        } else if (name.starts_with('.') && name.rfind(kMark) != std::string_view::npos &&
                   name.rfind(kMark) > 1) {
            restAt = name.rfind(kMark) + kMark.size();
        }
        if (restAt == 0) {
            continue;
        }
        const std::optional<pid_t> pid = WriterOf(name.substr(restAt));
        if (pid && *pid != ::getpid() && ::kill(*pid, 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// True the first time a folder or target is swept in this process.
bool FirstSweep(const std::string& key) {
    static std::mutex mutex;
    static std::set<std::string> done;
    const std::lock_guard lock(mutex);
    return done.insert(key).second;
}

}  // namespace

void RemoveStrayTemporaries(const std::string& target) {
    if (!FirstSweep(target)) {
        return;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    Sweep(folder, std::string(".").append(name).append(kMark));
}

void RemoveStrayTemporariesIn(const std::string& folder) {
    if (FirstSweep(folder + "/")) {
        Sweep(folder, {});
    }
}

}  // namespace base
