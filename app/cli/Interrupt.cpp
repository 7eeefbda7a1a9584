#include "app/cli/Interrupt.h"

#include <atomic>
#include <csignal>

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

#ifdef _WIN32
using Previous = void (*)(int);
Previous gPreviousInt = nullptr;
Previous gPreviousTerm = nullptr;
#else
struct sigaction gPreviousInt {};
struct sigaction gPreviousTerm {};
#endif

}  // namespace

InterruptScope::InterruptScope(StopFunction stop, void* context) {
    gInterrupts = 0;
    gContext.store(context);
    gStop.store(stop);
#ifdef _WIN32
    gPreviousInt = std::signal(SIGINT, OnInterrupt);
    gPreviousTerm = std::signal(SIGTERM, OnInterrupt);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait should see the interrupt and look at what it asked for.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &gPreviousInt);
    sigaction(SIGTERM, &action, &gPreviousTerm);
#endif
}

InterruptScope::~InterruptScope() {
#ifdef _WIN32
    std::signal(SIGINT, gPreviousInt);
    std::signal(SIGTERM, gPreviousTerm);
#else
    sigaction(SIGINT, &gPreviousInt, nullptr);
    sigaction(SIGTERM, &gPreviousTerm, nullptr);
#endif
    gStop.store(nullptr);
    gContext.store(nullptr);
}

bool InterruptScope::Interrupted() noexcept {
    return gInterrupts != 0;
}

}  // namespace app
