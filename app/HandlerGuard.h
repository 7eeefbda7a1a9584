#pragma once

// Keeps exceptions from crossing Qt's event loop. Every event handler of the window runs inside Run.
// The outermost handler reports an exception that leaves it; a handler that runs nested inside
// another one (because the outer handler set a field's text, say) keeps its exception pending
// instead, and the outer handler rethrows it with RethrowPending right after the call that caused it,
// so that the rest of the outer handler is skipped exactly as if the error had passed through.

#include <exception>
#include <functional>
#include <utility>

namespace app {

class HandlerGuard {
public:
    using Reporter = std::function<void(const std::exception_ptr&)>;

    explicit HandlerGuard(Reporter report) : report_(std::move(report)) {}

    HandlerGuard(const HandlerGuard&) = delete;
    HandlerGuard& operator=(const HandlerGuard&) = delete;

    // Runs `handler`. Never throws: an exception leaving it is reported (outermost handler) or kept
    // pending (nested handler).
    void Run(const std::function<void()>& handler) noexcept;

    // Rethrows the exception that a nested handler kept pending, if any, and clears it.
    void RethrowPending();

    bool InsideHandler() const noexcept { return depth_ > 0; }

private:
    void Report(const std::exception_ptr& error) noexcept;

    Reporter report_;
    int depth_ = 0;
    std::exception_ptr pending_;
};

}  // namespace app
