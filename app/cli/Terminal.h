#pragma once

// Whether a person watches the program's standard output or standard error.

#include <ostream>

namespace app {

// True when standard error is a terminal (not a file, a pipe or nothing).
bool StandardErrorIsTerminal();

// True when standard output is a terminal.
bool StandardOutputIsTerminal();

// From now on the bytes written to standard output reach it unchanged, for output that carries its
// own line ends (a CSV file's CR LF): Windows's C runtime would write each LF as CR LF, so CR LF
// became CR CR LF. `out` (std::cout) is flushed first. Does nothing on POSIX, which never converts.
void WriteStandardOutputAsIs(std::ostream& out);

}  // namespace app
