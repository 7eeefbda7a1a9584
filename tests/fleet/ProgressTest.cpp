#include "fleet/Progress.h"

#include <chrono>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace fleet {
namespace {

using std::chrono::milliseconds;

TEST(ProgressTest, FormatsBarsLinesAndDurations) {
    struct Row {
        std::size_t done;
        std::size_t total;
        double seconds;
        std::string bar;
        std::string line;
    };
    const Row rows[] = {
        {0, 1000, 0.0, "[------------------------------] 0/1000  -/s  --:-- left",
         "0/1000 rows (0%), - rows/s, --:-- left"},
        {120, 1000, 4.0, "[###---------------------------] 120/1000  30.0/s  0:29 left",
         "120/1000 rows (12%), 30.0 rows/s, 0:29 left"},
        {1000, 1000, 10.0, "[##############################] 1000/1000  100.0/s  0:00 left",
         "1000/1000 rows (100%), 100.0 rows/s, 0:00 left"},
        {3, 10000, 9.0, "[------------------------------] 3/10000  0.3/s  8:19:51 left",
         "3/10000 rows (0%), 0.3 rows/s, 8:19:51 left"},
        {12, 10, 1.0, "[##############################] 12/10  12.0/s  0:00 left",
         "12/10 rows (100%), 12.0 rows/s, 0:00 left"},
        {42, 0, 2.0, "42 rows  21.0/s", "42 rows, 21.0 rows/s"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.done);
        EXPECT_EQ(row.bar, FormatProgressBar(row.done, row.total, row.seconds));
        EXPECT_EQ(row.line, FormatProgressLine(row.done, row.total, row.seconds));
    }
    EXPECT_EQ("0:00", FormatDuration(-5));
    EXPECT_EQ("59:59", FormatDuration(3599.4));
    EXPECT_EQ("1:00:00", FormatDuration(3599.6));
}

class FakeClock {
public:
    ProgressReporter::Now Function() {
        return [this] { return ProgressReporter::Clock::time_point(now_); };
    }
    void Advance(milliseconds step) { now_ += step; }

private:
    ProgressReporter::Clock::duration now_{};
};

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

TEST(ProgressTest, BarIsRedrawnAtMostTenTimesASecond) {
    FakeClock clock;
    std::ostringstream out;
    ProgressReporter reporter(out, ProgressMode::Bar, 1000, clock.Function());
    // 1000 updates 2 ms apart: two seconds, so about 20 redraws plus the first.
    for (std::size_t done = 1; done <= 1000; ++done) {
        clock.Advance(milliseconds(2));
        reporter.Update(done);
    }
    reporter.Finish(1000);
    const std::string text = out.str();
    EXPECT_GE(Count(text, '\r'), 20u);
    EXPECT_LE(Count(text, '\r'), 23u);
    EXPECT_EQ(1u, Count(text, '\n'));
    EXPECT_TRUE(text.ends_with("[##############################] 1000/1000  500.0/s  0:00 left\n")) << text;
    reporter.Finish(1000);
    EXPECT_EQ(text, out.str());
}

TEST(ProgressTest, ShorterBarCoversTheLongerOneBeforeIt) {
    FakeClock clock;
    std::ostringstream out;
    ProgressReporter reporter(out, ProgressMode::Bar, 0, clock.Function());
    clock.Advance(milliseconds(1000));
    reporter.Update(1000);  // "1000 rows  1000.0/s"
    clock.Advance(milliseconds(1000000));
    reporter.Finish(1000);  // "1000 rows  1.0/s", three characters shorter
    EXPECT_EQ("\r1000 rows  1000.0/s\r1000 rows  1.0/s   \n", out.str());
}

// The modems at work follow the bar and the line; a note that goes away leaves no trace behind.
TEST(ProgressTest, ANoteFollowsTheBarAndTheLine) {
    FakeClock clock;
    std::ostringstream bar;
    ProgressReporter barReporter(bar, ProgressMode::Bar, 0, clock.Function());
    clock.Advance(milliseconds(1000));
    barReporter.SetNote("2 of 3 modems at work");
    barReporter.Update(10);
    clock.Advance(milliseconds(1000));
    barReporter.SetNote("");
    barReporter.Finish(20);
    const std::string withNote = "10 rows  10.0/s  2 of 3 modems at work";
    const std::string without = "20 rows  10.0/s";
    EXPECT_EQ("\r" + withNote + "\r" + without + std::string(withNote.size() - without.size(), ' ') + "\n",
              bar.str());

    std::ostringstream lines;
    ProgressReporter lineReporter(lines, ProgressMode::Lines, 0, clock.Function());
    lineReporter.SetNote("1 of 1 modems at work, 1 out of the pool");
    clock.Advance(milliseconds(1000));
    lineReporter.Finish(5);
    EXPECT_EQ("5 rows, 5.0 rows/s  1 of 1 modems at work, 1 out of the pool\n", lines.str());
}

// The words of the bar and the lines are in the output's language; a Chinese bar is covered by as
// many blanks as the columns it took on the terminal, not its bytes (three for each character).
TEST(ProgressTest, TheWordsAreTranslatedAndAChineseBarIsCoveredByItsColumns) {
    const std::map<std::string, std::string> chinese = {
        {"%d rows  %s/s", "%d 行  %s 行/秒"},
        {"%d/%d  %s/s  %s left", "%d/%d  %s 行/秒  剩余 %s"},
        {"%d rows, %s rows/s", "%d 行，%s 行/秒"},
        {"%d/%d rows (%d%%), %s rows/s, %s left", "%d/%d 行（%d%%），%s 行/秒，剩余 %s"},
    };
    const base::TranslateFn translate = [&chinese](const std::string& english) {
        return chinese.at(english);
    };
    EXPECT_EQ("[###---------------------------] 120/1000  30.0 行/秒  剩余 0:29",
              FormatProgressBar(120, 1000, 4.0, kProgressBarWidth, translate));
    EXPECT_EQ("42 行  21.0 行/秒", FormatProgressBar(42, 0, 2.0, kProgressBarWidth, translate));
    EXPECT_EQ("120/1000 行（12%），30.0 行/秒，剩余 0:29", FormatProgressLine(120, 1000, 4.0, translate));
    EXPECT_EQ("42 行，21.0 行/秒", FormatProgressLine(42, 0, 2.0, translate));

    const struct {
        std::string text;
        std::size_t columns;
    } widths[] = {{"", 0}, {"20 rows", 7}, {"20 行", 5}, {"（12%），", 9}, {"ｇ\x80\xE4", 4}};
    for (const auto& width : widths) {
        EXPECT_EQ(width.columns, TerminalColumns(width.text)) << width.text;
    }

    FakeClock clock;
    std::ostringstream bar;
    ProgressReporter reporter(bar, ProgressMode::Bar, 0, clock.Function(), translate);
    clock.Advance(milliseconds(1000));
    reporter.SetNote("2 / 3 台调制解调器正在工作");
    reporter.Update(10);
    clock.Advance(milliseconds(1000));
    reporter.SetNote("");
    reporter.Finish(20);
    // "10 行  10.0 行/秒  2 / 3 台调制解调器正在工作" takes 45 columns, "20 行  10.0 行/秒" 17.
    EXPECT_EQ(
        "\r10 行  10.0 行/秒  2 / 3 台调制解调器正在工作\r20 行  10.0 行/秒" + std::string(28, ' ') + "\n",
        bar.str());
}

TEST(ProgressTest, LinesComeEveryTenthOrEveryTenSeconds) {
    FakeClock clock;
    std::ostringstream out;
    ProgressReporter reporter(out, ProgressMode::Lines, 100, clock.Function());
    for (std::size_t done = 1; done <= 100; ++done) {
        clock.Advance(milliseconds(10));
        reporter.Update(done);
    }
    reporter.Finish(100);
    const std::string text = out.str();
    EXPECT_EQ(11u, Count(text, '\n')) << text;  // 10 % ... 100 %, and the final line
    EXPECT_EQ(std::string::npos, text.find('\r'));
    EXPECT_TRUE(text.starts_with("10/100 rows (10%)")) << text;

    // Slow rows: a line after 10 s even without another tenth.
    std::ostringstream slow;
    ProgressReporter slowReporter(slow, ProgressMode::Lines, 1000, clock.Function());
    clock.Advance(milliseconds(9000));
    slowReporter.Update(1);
    EXPECT_EQ("", slow.str());
    clock.Advance(milliseconds(1000));
    slowReporter.Update(2);
    EXPECT_EQ("2/1000 rows (0%), 0.2 rows/s, 1:23:10 left\n", slow.str());
}

}  // namespace
}  // namespace fleet
