#include "modem/Context.h"

#include <cstdio>
#include <utility>

#include "modem/Texts.h"

namespace modem {

Context::Context(TransportOptions options)
    : options_(std::move(options)), start_(std::chrono::steady_clock::now()) {}

void Context::Log(LogEntry::Direction direction, std::string text) {
    LogEntry entry;
    entry.elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    entry.direction = direction;
    entry.text = std::move(text);
    {
        std::lock_guard lock(mutex_);
        if (log_.size() >= kMaxLogEntries) {
            if (truncated_) {
                return;
            }
            truncated_ = true;
            entry.direction = LogEntry::Direction::Note;
            entry.text = "log full; further lines are not kept";
        }
        log_.push_back(entry);
    }
    if (options_.onLog) {
        options_.onLog(entry);
    }
}

std::vector<LogEntry> Context::Snapshot() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void Context::Report(const Progress& progress) const {
    if (options_.onProgress) {
        options_.onProgress(progress);
    }
}

std::string Printable(std::string_view bytes, bool utf8) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r') {
            out += "<CR>";
        } else if (byte == '\n') {
            out += "<LF>";
        } else if (byte == 0x1B) {
            out += "<ESC>";
        } else if (byte == 0x1A) {
            out += "<Ctrl-Z>";
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

ReplyCountdown::ReplyCountdown(const Context& context, std::string number, int seconds)
    : context_(context),
      number_(std::move(number)),
      seconds_(seconds),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(seconds)) {}

std::optional<Error> ReplyCountdown::Check(long long& leftMs) {
    if (context_.Cancelled()) {
        return text::Fail(ErrorKind::Cancelled, text::kCancelled);
    }
    leftMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now())
            .count();
    if (leftMs <= 0) {
        return text::Fail(ErrorKind::NoReply, text::kNoReply,
                          {text::Literal(number_), text::Number(seconds_)});
    }
    const int secondsLeft = static_cast<int>((leftMs + 999) / 1000);
    if (secondsLeft != reportedLeft_) {
        reportedLeft_ = secondsLeft;
        context_.Report(text::StageProgress(Stage::WaitingForReply,
                                            text::Make(text::kWaitingForReply, {text::Number(secondsLeft)}),
                                            0, 0, secondsLeft));
    }
    return std::nullopt;
}

}  // namespace modem
