#include "base/ProgramPath.h"

#include <windows.h>

#include "base/WideText.h"

namespace base {

std::string ProgramFilePath() {
    // A path longer than MAX_PATH is legal on Windows 10 and later; the call cuts it to fit the buffer
    // and says so only by filling it whole, so the buffer grows until the path fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return ToUtf8(buffer);
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderWithSeparator(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsAbsolutePath(std::string_view path) {
    const auto separator = [&path](std::size_t at) {
        return at < path.size() && (path[at] == '\\' || path[at] == '/');
    };
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && separator(2);
    return drive || (separator(0) && separator(1));
}

}  // namespace base
