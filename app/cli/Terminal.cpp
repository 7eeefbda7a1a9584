#include "app/cli/Terminal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace app {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    // A console answers GetConsoleMode; the NUL device, which _isatty takes for a terminal, does not.
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    return _isatty(1) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

}  // namespace app
