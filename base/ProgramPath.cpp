#include "base/ProgramPath.h"

#include <filesystem>
#include <system_error>

namespace base {

std::string ProgramFilePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string FolderWithSeparator(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsAbsolutePath(std::string_view path) {
    return path.starts_with('/');
}

}  // namespace base
