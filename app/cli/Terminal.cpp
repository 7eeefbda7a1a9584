#include "app/cli/Terminal.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace app {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(2) != 0;
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
