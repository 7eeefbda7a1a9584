#pragma once

// Whether a person watches the program's standard output or standard error.

#include <ostream>

namespace app {

// True when standard error is a terminal (not a file, a pipe or nothing).
bool StandardErrorIsTerminal();

// True when standard output is a terminal.
bool StandardOutputIsTerminal();

// Colours for standard output while it lives. A Windows console shows escape sequences as text
// unless its virtual-terminal processing is on: it is switched on here when it is off, and back off
// at the end. POSIX terminals take them as they are.
class TerminalColours final {
public:
#ifdef _WIN32
    TerminalColours();
    ~TerminalColours();
#else
    TerminalColours() = default;
    ~TerminalColours() = default;
#endif
    TerminalColours(const TerminalColours&) = delete;
    TerminalColours& operator=(const TerminalColours&) = delete;

    // Whether escape sequences written to standard output colour it rather than show as text: false
    // for a console that refuses virtual-terminal processing (before Windows 10), and for anything
    // that is no console on Windows.
    bool available() const noexcept {
        return available_;
    }

private:
    bool available_ = true;
#ifdef _WIN32
    bool restore_ = false;
    unsigned long earlierMode_ = 0;  // the console's mode before, given back when restore_
#endif
};

// From now on the bytes written to standard output reach it unchanged, for output that carries its
// own line ends (a CSV file's CR LF): Windows's C runtime would write each LF as CR LF, so CR LF
// became CR CR LF. `out` (std::cout) is flushed first. Does nothing on POSIX, which never converts.
void WriteStandardOutputAsIs(std::ostream& out);

}  // namespace app
