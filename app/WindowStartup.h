#pragma once

// Start-up of the window program, inside the window library (see app/WindowEntry.cpp).

namespace app {

// Runs the window program for main()'s arguments, which must be window options only (see
// app/cli/WindowArguments.h), until its window closes; returns the exit code. A bad window option
// gives a line on standard error and 2. Without a display (see HasDisplay) it prints one line saying
// so to standard error and returns 2 instead of starting Qt.
int RunWindow(int argc, char** argv);

}  // namespace app
