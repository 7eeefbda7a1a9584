#include "app/cli/PluginLoader.h"

#include "app/cli/SharedLibrary.h"

namespace app {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

// The system's reason without the "<path>: " that dlerror() puts before it, since the message names
// the path once in front.
std::string Reason(std::string reason, const std::string& path) {
    const std::string prefix = path + ": ";
    if (reason.starts_with(prefix)) {
        reason.erase(0, prefix.size());
    }
    return reason;
}

}  // namespace

std::vector<std::string> PluginFolders(const std::string& programPath) {
    const std::size_t slash = programPath.find_last_of(kSeparators);
    if (slash == std::string::npos) {
        return {};
    }
    const std::string folder = programPath.substr(0, slash + 1);
    // The parent of the program's folder, spelt without "..": "/usr/bin/" gives "/usr/". The path
    // comes from the system with every link resolved, so the spelling names the same folder.
    const std::size_t parentEnd = folder.find_last_of(kSeparators, slash == 0 ? 0 : slash - 1);
    const std::string parent = parentEnd == std::string::npos ? folder : folder.substr(0, parentEnd + 1);
    return {folder, parent + "lib/dtusms/"};
}

std::variant<LoadedPlugin, PluginLoadError> LoadPlugin(const std::vector<std::string>& folders,
                                                       const std::string& fileName, const char* entrySymbol) {
    std::string tried;
    const auto fault = [&tried](const std::string& path, const std::string& reason) {
        tried += (tried.empty() ? "" : "; ") + path + ": " + Reason(reason, path);
    };
    for (const std::string& folder : folders) {
        const std::string path = folder + fileName;
        std::string reason;
        void* library = OpenSharedLibrary(path, reason);
        if (library == nullptr) {
            fault(path, reason);
            if (PathExists(path)) {
                return PluginLoadError{tried};
            }
            continue;
        }
        void* entry = FindSharedLibrarySymbol(library, entrySymbol, reason);
        if (entry == nullptr) {
            fault(path, reason);
            return PluginLoadError{tried};
        }
        return LoadedPlugin{library, entry, path};
    }
    if (tried.empty()) {
        tried = fileName + ": the program's own folder is unknown";
    }
    return PluginLoadError{tried};
}

}  // namespace app
