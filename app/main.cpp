#include <cstdio>
#include <exception>

#include "app/CommandLine.h"
#include "app/WindowStartup.h"

int main(int argc, char** argv) {
    // No arguments, or window options only, open the window; a subcommand or --help/--version runs
    // without one.
    try {
        if (app::IsWindowInvocation(argc, argv)) {
            return app::RunWindow(argc, argv);
        }
        return app::RunCommandLine(argc, argv);
    } catch (const std::exception& error) {
        // Start-up failed before any window could show it (the localization engine, say).
        std::fprintf(stderr, "dtusms: %s\n", error.what());
        return 1;
    }
}
