#include "app/CommandLine.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        // No arguments: this is where the main window starts; until it exists, the help is shown.
        return app::RunCommandLine(argc, argv);
    }
    return app::RunCommandLine(argc, argv);
}
