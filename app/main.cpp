// main() of dtusms. It links no toolkit: a subcommand, --help and --version run at once, and the
// window library is loaded only when the arguments ask for the window. On Windows the window is
// drawn with the system's own controls and is part of the program.

#include <cstdio>
#include <exception>

#include "app/cli/CommandLine.h"
#include "app/cli/Utf8Session.h"
#include "app/cli/WindowArguments.h"
#include "app/cli/WindowLauncher.h"
#ifdef DTUSMS_WIN32_WINDOW
#include "app/win32/WindowProgram.h"
#endif

int main(int argc, char** argv) {
    app::Utf8Session session(argc, argv);
    argc = session.argc();
    argv = session.argv();
    // No arguments, or window options only, open the window; anything else is for the command line.
    try {
        if (app::IsWindowInvocation(argc, argv)) {
#ifdef DTUSMS_WIN32_WINDOW
            return app::win32::RunWindowProgram(argc, argv);
#else
            return app::LaunchWindow(argc, argv);
#endif
        }
        return app::RunCommandLine(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "dtusms: %s\n", error.what());
        return 1;
    }
}
