#include "fleet/Progress.h"

#include <cmath>
#include <cstdio>

namespace fleet {
namespace {

constexpr auto kBarInterval = std::chrono::milliseconds(100);
constexpr auto kLineInterval = std::chrono::seconds(10);

std::string Rate(std::size_t done, double seconds) {
    if (seconds <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", static_cast<double>(done) / seconds);
    return text;
}

std::string TimeLeft(std::size_t done, std::size_t total, double seconds) {
    if (done == 0 || seconds <= 0) {
        return "--:--";
    }
    const std::size_t left = total > done ? total - done : 0;
    return FormatDuration(static_cast<double>(left) * seconds / static_cast<double>(done));
}

}  // namespace

std::string FormatDuration(double seconds) {
    const long long whole = seconds > 0 ? static_cast<long long>(std::llround(seconds)) : 0;
    const long long hours = whole / 3600;
    const long long minutes = whole / 60 % 60;
    const long long rest = whole % 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld", hours, minutes, rest);
    } else {
        std::snprintf(text, sizeof(text), "%lld:%02lld", minutes, rest);
    }
    return text;
}

std::string FormatProgressBar(std::size_t done, std::size_t total, double seconds, std::size_t barWidth) {
    if (total == 0) {
        return std::to_string(done) + " rows  " + Rate(done, seconds) + "/s";
    }
    const std::size_t shown = done < total ? done : total;
    const std::size_t filled = shown * barWidth / total;
    return "[" + std::string(filled, '#') + std::string(barWidth - filled, '-') + "] " +
           std::to_string(done) + "/" + std::to_string(total) + "  " + Rate(done, seconds) + "/s  " +
           TimeLeft(done, total, seconds) + " left";
}

std::string FormatProgressLine(std::size_t done, std::size_t total, double seconds) {
    if (total == 0) {
        return std::to_string(done) + " rows, " + Rate(done, seconds) + " rows/s";
    }
    const std::size_t percent = (done < total ? done : total) * 100 / total;
    return std::to_string(done) + "/" + std::to_string(total) + " rows (" + std::to_string(percent) + "%), " +
           Rate(done, seconds) + " rows/s, " + TimeLeft(done, total, seconds) + " left";
}

ProgressMode ChooseProgressMode(bool quiet, bool standardErrorIsTerminal) {
    if (quiet) {
        return ProgressMode::Quiet;
    }
    return standardErrorIsTerminal ? ProgressMode::Bar : ProgressMode::Lines;
}

ProgressReporter::ProgressReporter(std::ostream& out, ProgressMode mode, std::size_t total, Now now)
    : out_(out), mode_(mode), total_(total), now_(std::move(now)), start_(now_()), lastDraw_(start_) {}

double ProgressReporter::Seconds() const {
    return std::chrono::duration<double>(now_() - start_).count();
}

std::string ProgressReporter::WithNote(const std::string& text) const {
    return note_.empty() ? text : text + "  " + note_;
}

void ProgressReporter::DrawBar(std::size_t done) {
    const std::string bar = WithNote(FormatProgressBar(done, total_, Seconds()));
    // Blanks over the rest of a longer earlier bar, rather than an escape sequence that not every
    // console understands.
    const std::size_t pad = lastLength_ > bar.size() ? lastLength_ - bar.size() : 0;
    out_ << '\r' << bar << std::string(pad, ' ') << std::flush;
    lastLength_ = bar.size();
}

void ProgressReporter::Update(std::size_t done) {
    if (mode_ == ProgressMode::Quiet || finished_) {
        return;
    }
    const Clock::time_point now = now_();
    if (mode_ == ProgressMode::Bar) {
        if (!drawn_ || now - lastDraw_ >= kBarInterval) {
            DrawBar(done);
            drawn_ = true;
            lastDraw_ = now;
        }
        return;
    }
    const std::size_t tenth = total_ == 0 ? 0 : (done < total_ ? done : total_) * 10 / total_;
    if (tenth > lastTenth_ || now - lastDraw_ >= kLineInterval) {
        out_ << WithNote(FormatProgressLine(done, total_, Seconds())) << '\n' << std::flush;
        lastTenth_ = tenth;
        lastDraw_ = now;
    }
}

void ProgressReporter::Finish(std::size_t done) {
    if (mode_ == ProgressMode::Quiet || finished_) {
        return;
    }
    finished_ = true;
    if (mode_ == ProgressMode::Bar) {
        DrawBar(done);
        out_ << '\n' << std::flush;
        return;
    }
    out_ << WithNote(FormatProgressLine(done, total_, Seconds())) << '\n' << std::flush;
}

}  // namespace fleet
