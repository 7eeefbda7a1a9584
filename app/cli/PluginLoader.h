#pragma once

// The program's plugins: shared libraries that ship with the program and are loaded only when a
// command needs them (the window library, which brings in the toolkit). The program looks for them
// only in its own places, never in the system's library search path:
//   1. the program's own folder (the build tree, build/app/, or a portable copy);
//   2. <the program's folder>/../lib/dtusms/ (the installed layout: /usr/bin/dtusms with
//      /usr/lib/dtusms/<plugin>).
// A plugin stays loaded for the rest of the process: the toolkit it brings keeps threads, handlers
// registered to run at exit and objects that outlive the call, so unloading it early is unsafe, and
// the process ends soon after its plugin returns.

#include <string>
#include <variant>
#include <vector>

namespace app {

struct LoadedPlugin {
    void* library = nullptr;
    void* entry = nullptr;  // the address of the entry symbol asked for
    std::string path;       // where it was loaded from
};

struct PluginLoadError {
    // One "<path>: <reason>" per path tried, joined by "; ", on one line.
    std::string message;
};

// The folders to search for the plugins of the program at `programPath` (a full path, from
// ProgramFilePath), each ending with "/", in search order; none when `programPath` has no folder.
std::vector<std::string> PluginFolders(const std::string& programPath);

// Loads `fileName` from the first of `folders` that holds it and finds its exported `entrySymbol`.
// A folder without the file is skipped; a file that is there but cannot be loaded (not a library,
// built for another machine, a dependency missing) or lacks the symbol ends the search with that
// fault, so that a broken copy never hides behind an older one further on. Errors: the file in none of
// the folders, or that fault; the message names every path tried. Never throws.
std::variant<LoadedPlugin, PluginLoadError> LoadPlugin(const std::vector<std::string>& folders,
                                                       const std::string& fileName, const char* entrySymbol);

}  // namespace app
