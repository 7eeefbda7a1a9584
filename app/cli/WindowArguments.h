#pragma once

// The window's arguments, read without the toolkit: whether the arguments ask for the window at all,
// the program's own window options, and the ones that go on to Qt.
//
// Window options: Qt's own (-platform NAME, -style NAME, -geometry WxH+X+Y, -reverse, ..., with one
// or two leading dashes, "NAME" also attached with "=") and the program's
//   --exit-after-paint   paint the window once, then exit 0 (start-up benchmark, smoke tests);
//   --screenshot FILE    save a PNG of the window after its first paint, then exit;
//   --settings FILE      use FILE as the settings file instead of GPRSInfo.ini beside the program.
// Both file options also take "--option=FILE".

#include <optional>
#include <string>
#include <vector>

namespace app {

struct WindowOptions {
    bool exitAfterPaint = false;
    std::optional<std::string> screenshotFile;
    std::string settingsPath;  // empty: GPRSInfo.ini beside the program
    // argv for the toolkit: the program name, Qt's options with their values, a closing null
    // pointer. The pointers point into the argv that was parsed.
    std::vector<char*> qtArguments;
    bool platformGiven = false;
    // An argument that is no window option: the arguments are for the command line instead.
    bool foreignArgument = false;
    // The fault that stopped the parse ("--settings needs a file name", "unknown window option X");
    // empty when the arguments are good window options.
    std::string error;
};

// Parses main()'s arguments (argv[0] is the program). Never throws on any argument.
WindowOptions ParseWindowOptions(int argc, char** argv);

// True when the arguments hold nothing but window options (none at all included), so the window is
// to open.
bool IsWindowInvocation(int argc, char** argv);

// True when the window has a display to open on: a -platform option, QT_QPA_PLATFORM, DISPLAY or
// WAYLAND_DISPLAY (an empty variable counts as unset).
bool HasDisplay(const WindowOptions& options);

// The line (without line end) that tells the user there is no display and what to do instead.
inline constexpr const char* kNoDisplayMessage =
    "dtusms: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); set "
    "QT_QPA_PLATFORM=offscreen to run it without one, or use a command-line subcommand (dtusms --help).";

// Whether `options` can open the window: true, or false after one line on standard error that says
// why (the parse's fault, or kNoDisplayMessage when !HasDisplay).
bool CanOpenWindow(const WindowOptions& options);

}  // namespace app
