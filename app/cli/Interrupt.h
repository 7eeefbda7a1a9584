#pragma once

// Ctrl-C (and SIGTERM; on POSIX also SIGHUP and SIGQUIT, on Windows Ctrl-Break) while a long command
// runs: the first one asks the command to stop in order (cancel the modem, stop the listener, finish
// the rows done); a second one ends the program at once, as it would without this.

namespace app {

class InterruptScope final {
public:
    // Called from the signal handler, so it must be async-signal-safe (the modem transport's Cancel
    // and the listener's RequestStop are).
    using StopFunction = void (*)(void* context) noexcept;

    // Installs the handlers for the life of this object; `stop` may be null (only the flag is set).
    // One scope at a time.
    InterruptScope(StopFunction stop, void* context);
    // Restores the handlers that were there before.
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    // True once an interrupt came while this scope was installed.
    static bool Interrupted() noexcept;
};

}  // namespace app
