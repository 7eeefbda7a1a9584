#pragma once

// Whether a person watches the program's standard output or standard error.

namespace app {

// True when standard error is a terminal (not a file, a pipe or nothing).
bool StandardErrorIsTerminal();

// True when standard output is a terminal.
bool StandardOutputIsTerminal();

}  // namespace app
