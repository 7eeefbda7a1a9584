#include "app/HandlerGuard.h"

namespace app {

void HandlerGuard::Run(const std::function<void()>& handler) noexcept {
    ++depth_;
    std::exception_ptr error;
    try {
        handler();
        // A nested handler failed but nothing rethrew it on the way out: it still has to be shown.
        RethrowPending();
    } catch (...) {
        error = std::current_exception();
    }
    --depth_;
    if (!error) {
        return;
    }
    if (depth_ > 0) {
        if (!pending_) {
            pending_ = error;
        }
        return;
    }
    Report(error);
}

void HandlerGuard::RethrowPending() {
    if (pending_) {
        std::exception_ptr error = std::exchange(pending_, nullptr);
        std::rethrow_exception(error);
    }
}

void HandlerGuard::Report(const std::exception_ptr& error) noexcept {
    try {
        if (report_) {
            report_(error);
        }
    } catch (...) {
        // Reporting itself failed (no memory for the box, say); there is nothing left to tell.
    }
}

}  // namespace app
