#pragma once

// The platform's loader of shared libraries, the one seam between dlopen (POSIX) and LoadLibrary
// (Windows). Paths and texts are UTF-8.

#include <string>

namespace app {

// Loads the library at `path`, a full path (no search in the system's folders), with the libraries
// it needs, resolving all its symbols at once. Returns its handle, or nullptr with the system's
// reason in `error` (which may start with the path). A loaded library is never unloaded: see PluginLoader.h.
void* OpenSharedLibrary(const std::string& path, std::string& error);

// The address of the exported symbol `name` of `library`; nullptr with the system's reason in
// `error` (which may start with the library's path) when there is none.
void* FindSharedLibrarySymbol(void* library, const char* name, std::string& error);

// True when `path` leads to something that exists (a file or a folder; symbolic links are followed).
bool PathExists(const std::string& path);

}  // namespace app
