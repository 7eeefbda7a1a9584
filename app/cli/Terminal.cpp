#include "app/cli/Terminal.h"

#ifdef _WIN32
#include <cstdio>

#include <fcntl.h>
#include <io.h>
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
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

#ifdef _WIN32
TerminalColours::TerminalColours() {
    DWORD mode = 0;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    available_ = ::GetConsoleMode(out, &mode) != 0;
    if (available_ && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
        available_ = ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        restore_ = available_;
        earlierMode_ = mode;
    }
}

TerminalColours::~TerminalColours() {
    if (restore_) {
        std::fflush(stdout);
        ::SetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), earlierMode_);
    }
}
#endif

void WriteStandardOutputAsIs(std::ostream& out) {
    out.flush();
#ifdef _WIN32
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
#endif
}

}  // namespace app
