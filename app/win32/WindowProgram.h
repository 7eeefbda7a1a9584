#pragma once

// The window program on Windows, linked into dtusms.exe: main() runs it when the arguments ask for
// the window (app/cli/WindowArguments.h).

namespace app::win32 {

// Runs the window for main()'s arguments, which must be window options only, until it closes;
// returns the exit code. A bad window option gives one line on standard error and 2; a start-up that
// fails before the window exists (the localization engine, say) one line and 1. Never throws.
int RunWindowProgram(int argc, char** argv);

}  // namespace app::win32
