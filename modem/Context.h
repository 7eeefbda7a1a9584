#pragma once

// What every part of one transport shares: its options, the log of the exchange, progress reports
// and the cancel flag.

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modem/SmsTransport.h"

namespace modem {

class Context final {
public:
    // Entries beyond this are dropped (with one note saying so), so a modem that streams garbage for
    // the whole waiting time cannot exhaust memory.
    static constexpr std::size_t kMaxLogEntries = 20000;

    explicit Context(TransportOptions options);

    const TransportOptions& options() const { return options_; }
    const Timeouts& timeouts() const { return options_.timeouts; }

    // Adds one entry (and passes it to the onLog callback). Safe from any thread.
    void Log(LogEntry::Direction direction, std::string text);
    void Note(std::string text) { Log(LogEntry::Direction::Note, std::move(text)); }
    std::vector<LogEntry> Snapshot() const;

    void Report(const Progress& progress) const;

    void Cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_relaxed); }

private:
    TransportOptions options_;
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> cancelled_{false};
    mutable std::mutex mutex_;
    std::vector<LogEntry> log_;
    bool truncated_ = false;
};

// The wait for a reply from `number`, counted down over `seconds`. Each Check ends the wait when the
// context was cancelled (kCancelled) or the time is up (kNoReply); otherwise it reports the seconds
// left whenever their count changes and gives nullopt, with the milliseconds left (above 0) in `leftMs`.
class ReplyCountdown final {
public:
    ReplyCountdown(const Context& context, std::string number, int seconds);
    std::optional<Error> Check(long long& leftMs);

private:
    const Context& context_;
    std::string number_;
    int seconds_;
    std::chrono::steady_clock::time_point deadline_;
    int reportedLeft_ = -1;
};

// `bytes` made printable for the log: CR, LF, ESC and Ctrl-Z by name, other control bytes as
// <0xNN>; bytes above 127 are kept when `utf8` (D-Bus texts), otherwise written as <0xNN> (a serial
// line in PDU mode is plain ASCII, so they are line noise).
std::string Printable(std::string_view bytes, bool utf8);

}  // namespace modem
