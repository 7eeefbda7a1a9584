#pragma once

// Opening the window from the command-line program, which links no toolkit: the window lives in a
// plugin (see PluginLoader.h) that is loaded only when the arguments ask for the window.

namespace app {

// The window library's entry point, exported with C linkage under kWindowMainSymbol: main() of the
// window program. It takes main()'s arguments unchanged and returns the exit code; it never throws.
using WindowMainFunction = int(int argc, char** argv);
inline constexpr const char* kWindowMainSymbol = "dtusms_window_main";

// What a build without the window says when the window is asked for.
inline constexpr const char* kNoWindowMessage =
    "this build of dtusms has no window (it was built without Qt); the subcommands work without it, "
    "see dtusms --help";

// Runs the window program for main()'s arguments, which IsWindowInvocation accepted. A build without
// the window says so (kNoWindowMessage, one line on standard error) and returns 1. Before anything
// is loaded: a bad window option gives one line on standard error and 2, no display
// (HasDisplay) kNoDisplayMessage and 2. Then the window library is loaded from the program's plugin
// folders; when it is missing or broken, one line on standard error names every path tried with the
// system's reason, and the result is 1 (the subcommands work without it). Otherwise the result is
// the window program's.
int LaunchWindow(int argc, char** argv);

}  // namespace app
