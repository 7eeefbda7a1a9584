#include "app/cli/SharedLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace app {
namespace {

std::string LastError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

}  // namespace

void* OpenSharedLibrary(const std::string& path, std::string& error) {
    // RTLD_NOW: a library with a missing dependency or symbol fails here, with its reason, rather
    // than at some later call. RTLD_LOCAL: its symbols serve only itself.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = LastError();
    }
    return library;
}

void* FindSharedLibrarySymbol(void* library, const char* name, std::string& error) {
    ::dlerror();
    void* symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        error = LastError();
    }
    return symbol;
}

bool PathExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

}  // namespace app
