#include "app/cli/WindowLauncher.h"

#include <cstdio>
#include <variant>

#include "app/cli/PluginLoader.h"
#include "app/cli/WindowArguments.h"
#include "base/ProgramPath.h"

namespace app {
namespace {

// The window library's file name as the build names it, "libdtusms_window.so" on Linux.
constexpr const char* kWindowLibraryFileName = DTUSMS_WINDOW_LIBRARY;
// Whether this build made the window library at all (a build without Qt, such as the one for Windows
// made with MinGW-w64 on Debian, has the command line alone).
constexpr bool kWindowBuilt = DTUSMS_WINDOW_BUILT;

}  // namespace

int LaunchWindow(int argc, char** argv) {
    if (!kWindowBuilt) {
        std::fprintf(stderr, "dtusms: %s\n", kNoWindowMessage);
        return 1;
    }
    const WindowOptions options = ParseWindowOptions(argc, argv);
    // Checked here as well as in the window program, so that a machine without a display does not
    // load the toolkit only to hear that.
    if (!CanOpenWindow(options)) {
        return 2;
    }
    const auto loaded =
        LoadPlugin(PluginFolders(base::ProgramFilePath()), kWindowLibraryFileName, kWindowMainSymbol);
    if (const auto* error = std::get_if<PluginLoadError>(&loaded)) {
        std::fprintf(stderr, "dtusms: cannot load the window: %s\n", error->message.c_str());
        return 1;
    }
    auto* windowMain = reinterpret_cast<WindowMainFunction*>(std::get<LoadedPlugin>(loaded).entry);
    return windowMain(argc, argv);
}

}  // namespace app
