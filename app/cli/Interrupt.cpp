#include "app/cli/Interrupt.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace app {
namespace {

std::atomic<InterruptScope::StopFunction> gStop{nullptr};
std::atomic<void*> gContext{nullptr};
volatile std::sig_atomic_t gInterrupts = 0;

void OnInterrupt(int signal) {
    if (gInterrupts != 0) {
        // A second Ctrl-C means "now": the default action ends the program.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    gInterrupts = 1;
    if (const InterruptScope::StopFunction stop = gStop.load()) {
        stop(gContext.load());
    }
}

// The signals that ask a command to stop: Ctrl-C and a polite kill; on POSIX also a terminal that went
// away (a closed window, a dropped SSH connection) and Ctrl-\, on Windows Ctrl-Break.
#ifdef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGBREAK};
using Previous = void (*)(int);
Previous gPrevious[std::size(kStopSignals)] = {};
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction gPrevious[std::size(kStopSignals)] = {};
#endif

}  // namespace

InterruptScope::InterruptScope(StopFunction stop, void* context) {
    gInterrupts = 0;
    gContext.store(context);
    gStop.store(stop);
#ifdef _WIN32
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        gPrevious[i] = std::signal(kStopSignals[i], OnInterrupt);
    }
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait should see the interrupt and look at what it asked for.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &action, &gPrevious[i]);
    }
#endif
}

InterruptScope::~InterruptScope() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
#ifdef _WIN32
        std::signal(kStopSignals[i], gPrevious[i]);
#else
        sigaction(kStopSignals[i], &gPrevious[i], nullptr);
#endif
    }
    gStop.store(nullptr);
    gContext.store(nullptr);
}

bool InterruptScope::Interrupted() noexcept {
    return gInterrupts != 0;
}

}  // namespace app
