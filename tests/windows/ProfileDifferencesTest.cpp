#include "tests/windows/ProfileDifferences.h"

#include <string>

#include <gtest/gtest.h>

namespace winprofile {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kReplacement = "\xEF\xBF\xBD";

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// An answer whose UTF-16 length is `units` (the comparison looks at the count only).
Answer ApiAnswer(const std::string& bytes, std::size_t units, int integer, bool found = true) {
    return Answer{std::u16string(units, u'x'), bytes, integer, found};
}

struct Row {
    const char* name;
    std::string file;
    OurReading ours;
    Answer api;
    Verdict text;
    Verdict integer;
};

// Each reason applies only where its cause is in the file and the results differ in its way; a row
// just outside a reason is an unexplained difference.
TEST(ProfileDifferencesTest, EachReasonExplainsOnlyItsOwnDifference) {
    const std::string a2046 = std::string(2046, 'a');
    const std::string a2047 = std::string(2047, 'a');
    const std::string chinese = Repeat("端", 700);  // 2100 bytes, 700 units
    const Row rows[] = {
        {"identical", "[Main]\nPort=7\n", {true, "7", 7}, ApiAnswer("7", 1, 7), Verdict::Same, Verdict::Same},
        {"name alone before the key",
         "[Main]\r\nPort\r\nPort=7\r\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::BareNameHidesKey,
         Verdict::FollowsText},
        {"name alone in another letter case",
         "[Main]\nPORT\nPort=7\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::BareNameHidesKey,
         Verdict::FollowsText},
        {"name alone after a header without its bracket",
         "[Main]\n[Other\nPort\nPort=7\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::BareNameHidesKey,
         Verdict::FollowsText},
        {"name alone under a second header of the name",
         "[Main]\nX=1\n[main]\nPort\nPort=7\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"name alone after the key",
         "[Main]\r\nPort=7\r\nPort\r\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"name alone in another section",
         "[Other]\nPort\n[Main]\nPort=7\n",
         {true, "7", 7},
         ApiAnswer("d", 1, 5, false),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"only the API finds the key",
         "[Main]\nPort=7\n",
         {false, "d", 5},
         ApiAnswer("7", 1, 7),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"quoted value of exactly 2047 bytes",
         "[Main]\nPort= \"" + a2047 + "\" \n",
         {true, a2047, 5},
         ApiAnswer(a2046, 2046, 0),
         Verdict::QuotedValueAtLimit,
         Verdict::FollowsText},
        {"quoted value of 2047 bytes after a longer one alike",
         "[Other]\nPort=\"" + a2047 + "aa\"\n[Main]\nPort='" + a2047 + "'\n",
         {true, a2047, 5},
         ApiAnswer(a2046, 2046, 0),
         Verdict::QuotedValueAtLimit,
         Verdict::FollowsText},
        {"quoted UTF-8 value of exactly 2047 characters",
         kBom + "[Main]\nPort='" + Repeat("端", 2047) + "'\n",
         {true, Repeat("端", 682), 5},
         ApiAnswer(Repeat("端", 2046), 2046, 0),
         Verdict::QuotedValueAtLimit,
         Verdict::FollowsText},
        {"quoted value of 2048 bytes",
         "[Main]\nPort=\"" + a2047 + "a\"\n",
         {true, a2047, 5},
         ApiAnswer(a2046, 2046, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"unquoted value of 2047 bytes",
         "[Main]\nPort=" + a2047 + "\n",
         {true, a2047, 5},
         ApiAnswer(a2046, 2046, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"bytes that are no UTF-8 in a UTF-8 file",
         kBom + "[Main]\nPort=ab\x80xy\n",
         {true, "ab\x80xy", 5},
         ApiAnswer("ab" + kReplacement + "xy", 5, 0),
         Verdict::NonUtf8InUtf8File,
         Verdict::FollowsText},
        {"the same bytes in an ANSI file",
         "[Main]\nPort=ab\x80xy\n",
         {true, "ab\x80xy", 5},
         ApiAnswer("ab" + kReplacement + "xy", 5, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"a character lost besides the replaced byte",
         kBom + "[Main]\nPort=ab\x80xy\n",
         {true, "ab\x80xy", 5},
         ApiAnswer("ab" + kReplacement + "x", 4, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"long UTF-8 value cut at 2046 bytes",
         kBom + "[Main]\nPort=" + chinese + "\n",
         {true, chinese.substr(0, 2046), 5},
         ApiAnswer(chinese, 700, 0),
         Verdict::CutInUnitsNotBytes,
         Verdict::FollowsText},
        {"long UTF-8 value cut far too short",
         kBom + "[Main]\nPort=" + chinese + "\n",
         {true, chinese.substr(0, 1800), 5},
         ApiAnswer(chinese, 700, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"long value cut in an ANSI file",
         "[Main]\nPort=" + chinese + "\n",
         {true, chinese.substr(0, 2046), 5},
         ApiAnswer(chinese, 2100, 0),
         Verdict::Unexplained,
         Verdict::Unexplained},
        {"defaults that differ",
         "[Main]\n",
         {false, "d  ", 5},
         ApiAnswer("d", 1, 5, false),
         Verdict::Unexplained,
         Verdict::Same},
        {"hexadecimal with $",
         "[Main]\nPort=$1F40\n",
         {true, "$1F40", 8000},
         ApiAnswer("$1F40", 5, 0),
         Verdict::Same,
         Verdict::IntegerRule},
        {"trailing junk",
         "[Main]\nPort=123abc\n",
         {true, "123abc", 5},
         ApiAnswer("123abc", 6, 123),
         Verdict::Same,
         Verdict::IntegerRule},
        {"overflow",
         "[Main]\nPort=2147483648\n",
         {true, "2147483648", 5},
         ApiAnswer("2147483648", 10, -2147483647 - 1),
         Verdict::Same,
         Verdict::IntegerRule},
        {"plain decimal read differently",
         "[Main]\nPort=6000\n",
         {true, "6000", 6000},
         ApiAnswer("6000", 4, 6001),
         Verdict::Same,
         Verdict::Unexplained},
        {"smallest integer read differently",
         "[Main]\nPort=-2147483648\n",
         {true, "-2147483648", -2147483647 - 1},
         ApiAnswer("-2147483648", 11, 0),
         Verdict::Same,
         Verdict::Unexplained},
        {"our integer not our rule's",
         "[Main]\nPort=$10\n",
         {true, "$10", 10},
         ApiAnswer("$10", 3, 0),
         Verdict::Same,
         Verdict::Unexplained},
        {"missing key with another integer",
         "[Main]\n",
         {false, "d", 5},
         ApiAnswer("d", 1, 7, false),
         Verdict::Same,
         Verdict::Unexplained},
    };
    const Question question{"Main", "Port", "d", 5};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Comparison comparison = Compare(row.file, question, row.ours, row.api);
        EXPECT_EQ(VerdictName(comparison.text), VerdictName(row.text));
        EXPECT_EQ(VerdictName(comparison.integer), VerdictName(row.integer));
    }
}

}  // namespace
}  // namespace winprofile
