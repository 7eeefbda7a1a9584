#pragma once

// Start-up of the window program.

namespace app {

// True when the arguments hold nothing but window options, so the window is to open: Qt's own
// options (-platform NAME, -style NAME, -geometry WxH+X+Y, -reverse, ...) and the program's
//   --exit-after-paint   paint the window once, then exit 0 (start-up benchmark, smoke tests);
//   --screenshot FILE    save a PNG of the window after its first paint, then exit;
//   --settings FILE      use FILE as the settings file instead of GPRSInfo.ini beside the program.
bool IsWindowInvocation(int argc, char** argv);

// Runs the window program until its window closes; returns the exit code. Without a display (no
// DISPLAY or WAYLAND_DISPLAY, no QT_QPA_PLATFORM and no -platform option) it prints one line saying
// so to standard error and returns 2 instead of starting Qt.
int RunWindow(int argc, char** argv);

}  // namespace app
