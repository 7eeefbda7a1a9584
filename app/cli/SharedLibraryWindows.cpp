#include "app/cli/SharedLibrary.h"

#include <windows.h>

#include "base/WideText.h"

namespace app {

void* OpenSharedLibrary(const std::string& path, std::string& error) {
    // The library's own folder is searched first for the DLLs it needs, as the program's folder is
    // for the program's.
    HMODULE library = ::LoadLibraryExW(base::ToWide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        error = base::SystemErrorText(::GetLastError());
    }
    return reinterpret_cast<void*>(library);
}

void* FindSharedLibrarySymbol(void* library, const char* name, std::string& error) {
    FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (symbol == nullptr) {
        // The system's text does not say which symbol it missed.
        error = std::string(name) + ": " + base::SystemErrorText(::GetLastError());
    }
    return reinterpret_cast<void*>(symbol);
}

bool PathExists(const std::string& path) {
    return ::GetFileAttributesW(base::ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace app
