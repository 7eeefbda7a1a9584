// The entry point of the window library, which the command-line program loads when the arguments
// ask for the window (app/cli/WindowLauncher.h). The only symbol the library exports.

#include <cstdio>
#include <exception>
#include <type_traits>

#include "app/WindowStartup.h"
#include "app/cli/WindowLauncher.h"

#ifdef _WIN32
#define DTUSMS_EXPORT __declspec(dllexport)
#else
#define DTUSMS_EXPORT __attribute__((visibility("default")))
#endif

extern "C" DTUSMS_EXPORT int dtusms_window_main(int argc, char** argv) {
    // An exception must not cross into the caller, which knows nothing of this library's types.
    try {
        return app::RunWindow(argc, argv);
    } catch (const std::exception& error) {
        // Start-up failed before any window could show it (the localization engine, say).
        std::fprintf(stderr, "dtusms: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "dtusms: the window program failed\n");
    }
    return 1;
}

static_assert(std::is_same_v<decltype(dtusms_window_main), app::WindowMainFunction>);
