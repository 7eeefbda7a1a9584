#pragma once

// Whether a person watches the program's standard error.

namespace app {

// True when standard error is a terminal (not a file, a pipe or nothing).
bool StandardErrorIsTerminal();

}  // namespace app
