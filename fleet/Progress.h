#pragma once

// Progress of a batch on standard error: a bar redrawn in place on a terminal, plain lines when
// standard error is a file or a pipe (a log should not fill with carriage returns), nothing when
// quiet. The formatting is pure; the reporter only decides when to draw.

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "base/Translate.h"

namespace fleet {

// "m:ss" below an hour, "h:mm:ss" from there; negative seconds count as 0.
std::string FormatDuration(double seconds);

// The cells of the bar on a terminal.
inline constexpr std::size_t kProgressBarWidth = 30;

// "[##########--------------------] 120/1000  35.2/s  0:25 left" with a bar of `barWidth` cells.
// The rate is done/seconds with one decimal ("-" before any time has passed); the time left is
// "--:--" until a row is done. With total 0 (unknown): "120 rows  35.2/s". The words after the bar
// are in `translate`'s language (empty: English).
std::string FormatProgressBar(std::size_t done, std::size_t total, double seconds,
                              std::size_t barWidth = kProgressBarWidth,
                              const base::TranslateFn& translate = {});

// "120/1000 rows (12%), 35.2 rows/s, 0:25 left"; with total 0: "120 rows, 35.2 rows/s"; in
// `translate`'s language (empty: English).
std::string FormatProgressLine(std::size_t done, std::size_t total, double seconds,
                               const base::TranslateFn& translate = {});

// The columns a terminal gives `text` (UTF-8): two for an East Asian wide character, one for any
// other character.
std::size_t TerminalColumns(const std::string& text);

enum class ProgressMode { Bar, Lines, Quiet };

// Quiet when asked, a bar on a terminal, lines otherwise.
ProgressMode ChooseProgressMode(bool quiet, bool standardErrorIsTerminal);

class ProgressReporter final {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    // `total` 0 means unknown. `now` is the clock (tests pass their own). `out` must outlive this.
    // The bar's and the lines' words are in `translate`'s language (empty: English).
    ProgressReporter(std::ostream& out, ProgressMode mode, std::size_t total, Now now = Clock::now,
                     base::TranslateFn translate = {});

    // `done` rows are finished. Draws the bar at most 10 times a second; writes a line when another
    // tenth of the total is done, or 10 s after the last line.
    void Update(std::size_t done);
    // A few words drawn after the bar or the line from the next drawing on ("3 of 4 modems at
    // work"); empty for none.
    void SetNote(std::string note) { note_ = std::move(note); }
    // Draws the final state (bar followed by a line end, or a last line) once.
    void Finish(std::size_t done);

private:
    double Seconds() const;
    void DrawBar(std::size_t done);
    std::string WithNote(const std::string& text) const;

    std::ostream& out_;
    ProgressMode mode_;
    std::size_t total_;
    Now now_;
    base::TranslateFn translate_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
    bool drawn_ = false;
    bool finished_ = false;
    std::size_t lastColumns_ = 0;
    std::size_t lastTenth_ = 0;
    std::string note_;
};

}  // namespace fleet
