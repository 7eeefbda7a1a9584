#include "app/CommandLine.h"
#include "app/WindowStartup.h"

int main(int argc, char** argv) {
    // No arguments, or window options only, open the window; a subcommand or --help/--version runs
    // without one.
    if (app::IsWindowInvocation(argc, argv)) {
        return app::RunWindow(argc, argv);
    }
    return app::RunCommandLine(argc, argv);
}
