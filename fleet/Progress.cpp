#include "fleet/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

#include "base/Placeholders.h"
#include "base/Utf8Lead.h"

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

// Hangul Jamo, CJK and Yi, Hangul syllables, CJK compatibility, fullwidth forms, and the
// supplementary ideographic planes: the characters a terminal gives two columns.
bool IsWide(char32_t code) {
    constexpr std::pair<char32_t, char32_t> kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD},
    };
    return std::any_of(std::begin(kWide), std::end(kWide),
                       [code](const auto& range) { return code >= range.first && code <= range.second; });
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

std::string FormatProgressBar(std::size_t done, std::size_t total, double seconds, std::size_t barWidth,
                              const base::TranslateFn& translate) {
    const auto count = static_cast<long long>(done);
    if (total == 0) {
        return base::FillPlaceholders(base::TranslateOrKeep(translate, "%d rows  %s/s"),
                                      {count, Rate(done, seconds)});
    }
    const std::size_t shown = done < total ? done : total;
    const std::size_t filled = shown * barWidth / total;
    return "[" + std::string(filled, '#') + std::string(barWidth - filled, '-') + "] " +
           base::FillPlaceholders(
               base::TranslateOrKeep(translate, "%d/%d  %s/s  %s left"),
               {count, static_cast<long long>(total), Rate(done, seconds), TimeLeft(done, total, seconds)});
}

std::string FormatProgressLine(std::size_t done, std::size_t total, double seconds,
                               const base::TranslateFn& translate) {
    const auto count = static_cast<long long>(done);
    if (total == 0) {
        return base::FillPlaceholders(base::TranslateOrKeep(translate, "%d rows, %s rows/s"),
                                      {count, Rate(done, seconds)});
    }
    const std::size_t percent = (done < total ? done : total) * 100 / total;
    return base::FillPlaceholders(base::TranslateOrKeep(translate, "%d/%d rows (%d%%), %s rows/s, %s left"),
                                  {count, static_cast<long long>(total), static_cast<long long>(percent),
                                   Rate(done, seconds), TimeLeft(done, total, seconds)});
}

std::size_t TerminalColumns(const std::string& text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const base::Utf8Lead lead = base::ReadUtf8Lead(static_cast<unsigned char>(text[i++]));
        char32_t code = lead.trailing == 0 ? static_cast<unsigned char>(text[i - 1]) : lead.bits;
        for (int k = 0; k < lead.trailing && i < text.size(); ++k, ++i) {
            code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        }
        columns += IsWide(code) ? 2 : 1;
    }
    return columns;
}

ProgressMode ChooseProgressMode(bool quiet, bool standardErrorIsTerminal) {
    if (quiet) {
        return ProgressMode::Quiet;
    }
    return standardErrorIsTerminal ? ProgressMode::Bar : ProgressMode::Lines;
}

ProgressReporter::ProgressReporter(std::ostream& out, ProgressMode mode, std::size_t total, Now now,
                                   base::TranslateFn translate)
    : out_(out),
      mode_(mode),
      total_(total),
      now_(std::move(now)),
      translate_(std::move(translate)),
      start_(now_()),
      lastDraw_(start_) {}

double ProgressReporter::Seconds() const {
    return std::chrono::duration<double>(now_() - start_).count();
}

std::string ProgressReporter::WithNote(const std::string& text) const {
    return note_.empty() ? text : text + "  " + note_;
}

void ProgressReporter::DrawBar(std::size_t done) {
    const std::string bar =
        WithNote(FormatProgressBar(done, total_, Seconds(), kProgressBarWidth, translate_));
    // Blanks over the rest of a longer earlier bar, rather than an escape sequence that not every
    // console understands; counted in columns, so that Chinese words are covered but not overrun.
    const std::size_t columns = TerminalColumns(bar);
    const std::size_t pad = lastColumns_ > columns ? lastColumns_ - columns : 0;
    out_ << '\r' << bar << std::string(pad, ' ') << std::flush;
    lastColumns_ = columns;
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
        out_ << WithNote(FormatProgressLine(done, total_, Seconds(), translate_)) << '\n' << std::flush;
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
    out_ << WithNote(FormatProgressLine(done, total_, Seconds(), translate_)) << '\n' << std::flush;
}

}  // namespace fleet
