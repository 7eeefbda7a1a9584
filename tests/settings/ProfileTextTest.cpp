#include "settings/ProfileText.h"

#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tests/sms/TempDir.h"

namespace settings {
namespace {

using namespace std::string_literals;
using sms::testing::Fixture;

struct FindRow {
    const char* fixture;
    const char* key;
    std::optional<std::string> expected;  // nullopt: the key is not found
};

TEST(ProfileTextTest, ReadsHandEditedFilesAsTheWindowsReaderDoes) {
    const FindRow rows[] = {
        {"no-section.ini", "Port", std::nullopt},
        {"other-sections.ini", "Port", "7000"},
        {"other-sections.ini", "x", std::nullopt},
        {"mixed-case.ini", "Port", "8001"},
        {"mixed-case.ini", "Static IP", "10.0.0.1"},
        {"blanks.ini", "Port", "8002"},
        {"blanks.ini", "DTU number", "TQ 1"},
        {"quotes.ini", "Domain address", "my host"},
        {"quotes.ini", "Other APN", "apn"},
        {"quotes.ini", "DTU number", "\"unbalanced"},
        {"quotes.ini", "Static IP", "\""},
        {"quotes.ini", "nLanguageID", "\"2'"},
        {"quotes.ini", "Port", " 8011 "},
        {"comments.ini", "Port", "8003"},
        {"comments.ini", "Static IP", std::nullopt},
        {"comments.ini", "# not a comment", "yes"},
        {"duplicates.ini", "Port", "8004"},
        {"duplicates.ini", "Static IP", std::nullopt},
        {"nul-and-invalid-utf8.ini", "Static IP",
         "1\0"s
         "2"},
        {"nul-and-invalid-utf8.ini", "Domain address", "\xff\xfehost"},
        {"nul-and-invalid-utf8.ini", "\xff\xfe", "\xc3\x28"},
        {"nul-and-invalid-utf8.ini", "Port", "8005"},
        {"cr-only.ini", "Port", "8006"},
        {"cr-only.ini", "DTU number", "CR"},
        {"lf-only.ini", "Port", "8007"},
        {"lf-only.ini", "DTU number", "LF"},
        {"no-final-line-end.ini", "Port", "8008"},
        {"broken-section-header.ini", "Port", "8009"},
        {"byte-order-mark.ini", "Port", "8010"},
        {"no-equals.ini", "Port", std::nullopt},
        {"no-equals.ini", "DTU number", std::nullopt},
        {"long-line.ini", "Port", "8013"},
    };
    for (const FindRow& row : rows) {
        SCOPED_TRACE(std::string(row.fixture) + " / " + row.key);
        const ProfileText text(Fixture(row.fixture));
        const std::optional<std::string_view> found = text.Find("Main", row.key);
        EXPECT_EQ(found ? std::optional<std::string>(std::string(*found)) : std::nullopt, row.expected);
    }
}

struct WriteRow {
    const char* fixture;
    const char* key;
    std::string value;
    std::string expected;
};

// Each row shows the whole file after the write, so any byte changed outside the written line fails.
TEST(ProfileTextTest, WriteChangesOnlyTheKeyLine) {
    const WriteRow rows[] = {
        {"no-section.ini", "Port", "1", "Port=1234\r\nStatic IP=1.2.3.4\r\n[Main]\r\nPort=1\r\n"},
        {"other-sections.ini", "Port", "2",
         "[Other]\r\nPort=1\r\n\r\n[Main]\r\nPort=2\r\n\r\n[Tail]\r\nx=y\r\n"},
        {"other-sections.ini", "Other APN", "z",
         "[Other]\r\nPort=1\r\n\r\n[Main]\r\nPort=7000\r\nOther APN=z\r\n\r\n[Tail]\r\nx=y\r\n"},
        {"mixed-case.ini", "Port", "3", "[mAIN]\r\nPORT=3\r\nstatic ip=10.0.0.1\r\n"},
        {"blanks.ini", "Port", "4", "[ Main ]\r\nPort=4\r\n\tDTU number =  TQ 1  \r\n"},
        {"comments.ini", "Static IP", "1.1.1.1",
         "; settings of the tool\r\n[Main]\r\n;Port=1\r\n  ; Static IP=9.9.9.9\r\nPort=8003\r\n"
         "# not a comment=yes\r\nStatic IP=1.1.1.1\r\n; trailing comment\r\n\r\n"},
        {"duplicates.ini", "Port", "5",
         "[Main]\r\nPort=5\r\nPort=9999\r\n[Other]\r\nk=v\r\n[main]\r\nStatic IP=5.5.5.5\r\nPort=1\r\n"},
        {"duplicates.ini", "Static IP", "6.6.6.6",
         "[Main]\r\nPort=8004\r\nPort=9999\r\nStatic IP=6.6.6.6\r\n[Other]\r\nk=v\r\n[main]\r\nStatic "
         "IP=5.5.5.5\r\n"
         "Port=1\r\n"},
        {"nul-and-invalid-utf8.ini", "Port", "6",
         "[Main]\r\nStatic IP=1\0"s
         "2\r\n\xff\xfe=\xc3\x28\r\nDomain address=\xff\xfehost\r\n\0\0\0\r\nPort=6\r\n"s},
        {"cr-only.ini", "Other APN", "q", "[Main]\rPort=8006\rDTU number=CR\rOther APN=q\r\n"},
        {"lf-only.ini", "Other APN", "q", "[Main]\nPort=8007\nDTU number=LF\nOther APN=q\r\n\n[Tail]\nx=y\n"},
        {"lf-only.ini", "Port", "7", "[Main]\nPort=7\nDTU number=LF\n\n[Tail]\nx=y\n"},
        {"no-final-line-end.ini", "DTU number", "x", "[Main]\r\nPort=8008\r\nDTU number=x\r\n"},
        {"no-final-line-end.ini", "Port", "9", "[Main]\r\nPort=9"},
        {"header-only-no-line-end.ini", "Port", "6000", "[Main]\r\nPort=6000\r\n"},
        {"broken-section-header.ini", "Port", "7", "[Main\r\nPort=1\r\n[Main]\r\nPort=7\r\n"},
        {"byte-order-mark.ini", "Port", "8", "\xef\xbb\xbf[Main]\r\nPort=8\r\n"},
        {"no-equals.ini", "Port", "8", "[Main]\r\nPort=8\r\nPort\r\nDTU number\r\nPort 8012\r\n"},
        {"mixed-case.ini", "Port", "a=b ; c", "[mAIN]\r\nPORT=a=b ; c\r\nstatic ip=10.0.0.1\r\n"},
    };
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(std::string(row.fixture) + " / " + row.key);
        const ProfileText text(Fixture(row.fixture));
        EXPECT_EQ(text.WithValue("Main", row.key, row.value), row.expected);
    }
}

// Random files built from the bytes that matter to the parser: whatever the file, a written value reads
// back, another key keeps its value, and writing the same value again changes nothing.
TEST(ProfileTextTest, RandomFilesReadBackWhatWasWritten) {
    const std::string alphabet("[]=; \t\r\n\0\"'MainPortQ\xff", 21);
    std::mt19937 random(12345);
    for (int round = 0; round < 5000; ++round) {
        std::string original;
        const int length = static_cast<int>(random() % 80);
        for (int i = 0; i < length; ++i) {
            original += alphabet[random() % alphabet.size()];
        }
        SCOPED_TRACE(::testing::PrintToString(original));
        const ProfileText before(original);
        const std::optional<std::string_view> other = before.Find("Main", "Q");
        const std::string once = before.WithValue("Main", "Port", "v");
        const ProfileText after(once);
        EXPECT_EQ(after.Find("Main", "Port"), std::optional<std::string_view>("v"));
        EXPECT_EQ(after.Find("Main", "Q"), other);
        EXPECT_EQ(after.WithValue("Main", "Port", "v"), once);
    }
}

TEST(ProfileTextTest, WriteIntoEmptyTextCreatesTheSection) {
    EXPECT_EQ(ProfileText("").WithValue("Main", "Port", "6000"), "[Main]\r\nPort=6000\r\n");
    EXPECT_EQ(ProfileText("\xef\xbb\xbf").WithValue("Main", "Port", "1"), "\xef\xbb\xbf[Main]\r\nPort=1\r\n");
}

TEST(ProfileTextTest, ValueIsCutAtItsFirstLineBreakOrNul) {
    const struct {
        std::string value;
        std::string expected;
    } rows[] = {
        {"a\r\n[Evil]\r\nPort=1", "[Main]\r\nDTU number=a\r\n"},
        {"b\nStatic IP=x", "[Main]\r\nDTU number=b\r\n"},
        {"c\rd", "[Main]\r\nDTU number=c\r\n"},
        {"e\0f"s, "[Main]\r\nDTU number=e\r\n"},
        {"\n", "[Main]\r\nDTU number=\r\n"},
    };
    for (const auto& row : rows) {
        const std::string written = ProfileText("").WithValue("Main", "DTU number", row.value);
        EXPECT_EQ(written, row.expected);
        EXPECT_EQ(ProfileText(written).Find("Evil", "Port"), std::nullopt);
    }
}

TEST(ProfileTextTest, RefusesNamesThatCannotBeWritten) {
    const ProfileText text("");
    EXPECT_THROW(text.WithValue("Main", "a=b", "1"), std::invalid_argument);
    EXPECT_THROW(text.WithValue("Main", "a\nb", "1"), std::invalid_argument);
    EXPECT_THROW(text.WithValue("Main", "", "1"), std::invalid_argument);
    EXPECT_THROW(text.WithValue("Ma]in", "Port", "1"), std::invalid_argument);
    EXPECT_THROW(text.WithValue("", "Port", "1"), std::invalid_argument);
}

TEST(ProfileTextTest, CapKeepsUtf8CharactersWhole) {
    const std::string e = "\u00e9";    // 2 bytes
    const std::string han = "\u4e2d";  // 3 bytes
    const struct {
        std::string value;
        std::size_t expectedSize;
    } rows[] = {
        {std::string(2047, 'A'), 2047},
        {std::string(3000, 'A'), 2047},
        {std::string(2046, 'a') + e + "tail", 2046},
        {std::string(2045, 'a') + e + "tail", 2047},
        {std::string(2045, 'a') + han, 2045},
        {std::string(2046, 'a') + "\x80\x80\x80\x80\x80", 2047},
        {std::string(2046, 'a') + "\xff\xfe", 2047},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CapProfileValue(row.value).size(), row.expectedSize);
    }
}

TEST(ProfileTextTest, ParsesIntegers) {
    const struct {
        const char* text;
        std::optional<int> expected;
    } rows[] = {
        {"6000", 6000},
        {"0x1F40", 8000},
        {"$1F40", 8000},
        {"0X1f40", 8000},
        {"+12", 12},
        {"-12", -12},
        {"-$10", -16},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"0x80000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1e3", std::nullopt},
        {"0x1G", std::nullopt},
        {"++1", std::nullopt},
        {" 12", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ParseProfileInteger(row.text), row.expected);
    }
}

}  // namespace
}  // namespace settings
