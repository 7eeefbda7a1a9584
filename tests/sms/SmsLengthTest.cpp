#include "sms/SmsLength.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sms {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

const std::string kHan = "\xe4\xb8\xad";        // U+4E2D, outside the GSM alphabet
const std::string kEmoji = "\xf0\x9f\x98\x80";  // U+1F600, a surrogate pair in UTF-16
const std::string kEuro = "\xe2\x82\xac";       // an extension character

TEST(SmsLengthTest, CountsPartsUnitsAndLimitAtTheBoundaries) {
    struct Row {
        const char* shows;
        std::string text;
        std::string line;
    };
    const Row rows[] = {
        {"empty text is one empty SMS", "", "parts=1 encoding=gsm7 units=0 limit=160"},
        {"the example command", "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)",
         "parts=1 encoding=gsm7 units=49 limit=160"},
        {"160 septets fill one SMS", Repeat("a", 160), "parts=1 encoding=gsm7 units=160 limit=160"},
        {"161 septets need two", Repeat("a", 161), "parts=2 encoding=gsm7 units=161 limit=153"},
        {"306 septets fill two parts", Repeat("a", 306), "parts=2 encoding=gsm7 units=306 limit=153"},
        {"307 septets need three", Repeat("a", 307), "parts=3 encoding=gsm7 units=307 limit=153"},
        {"extension characters count two", Repeat("{", 80), "parts=1 encoding=gsm7 units=160 limit=160"},
        {"one extension character past 160", Repeat("a", 159) + "]",
         "parts=2 encoding=gsm7 units=161 limit=153"},
        {"euro and form feed are extension characters", kEuro + "\f",
         "parts=1 encoding=gsm7 units=4 limit=160"},
        {"an escape pair is not cut at a part boundary: 306 septets, three parts",
         Repeat("a", 152) + "{" + Repeat("a", 152), "parts=3 encoding=gsm7 units=306 limit=153"},
        {"GSM letters of other scripts", "\xce\x94\xc3\x9f\xc3\x89@\xc2\xa3",
         "parts=1 encoding=gsm7 units=5 limit=160"},
        {"one foreign character makes all UCS-2", "hello " + kHan, "parts=1 encoding=ucs2 units=7 limit=70"},
        {"small c cedilla is not GSM", "\xc3\xa7", "parts=1 encoding=ucs2 units=1 limit=70"},
        {"70 UCS-2 units fill one SMS", Repeat(kHan, 70), "parts=1 encoding=ucs2 units=70 limit=70"},
        {"71 UCS-2 units need two", Repeat(kHan, 71), "parts=2 encoding=ucs2 units=71 limit=67"},
        {"134 units fill two parts", Repeat(kHan, 134), "parts=2 encoding=ucs2 units=134 limit=67"},
        {"135 units need three", Repeat(kHan, 135), "parts=3 encoding=ucs2 units=135 limit=67"},
        {"a character beyond the BMP takes two units", Repeat(kHan, 69) + kEmoji,
         "parts=2 encoding=ucs2 units=71 limit=67"},
        {"a surrogate pair is not cut at a part boundary", Repeat(kHan, 66) + kEmoji + Repeat(kHan, 66),
         "parts=3 encoding=ucs2 units=134 limit=67"},
        {"each malformed sequence is one U+FFFD", "ab\xff\xe4\xb8", "parts=1 encoding=ucs2 units=4 limit=70"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        EXPECT_EQ(FormatSmsLength(MeasureSms(row.text)), row.line);
    }
}

TEST(SmsLengthTest, SplitKeepsEveryUnitAndFillsPartsInOrder) {
    // 152 letters, then '{' moves whole to the second part, which the rest overflows by one.
    const SmsSplit split = SplitSms(Repeat("a", 152) + "{" + Repeat("b", 152));
    ASSERT_EQ(split.parts.size(), 3u);
    EXPECT_EQ(split.parts[0], std::vector<std::uint16_t>(152, 0x61));
    std::vector<std::uint16_t> second = {0x1B, 0x28};
    second.insert(second.end(), 151, 0x62);
    EXPECT_EQ(split.parts[1], second);
    EXPECT_EQ(split.parts[2], std::vector<std::uint16_t>{0x62});

    const SmsSplit ucs2 = SplitSms(Repeat(kHan, 66) + kEmoji + Repeat(kHan, 5));
    ASSERT_EQ(ucs2.parts.size(), 2u);
    EXPECT_EQ(ucs2.parts[0], std::vector<std::uint16_t>(66, 0x4E2D));
    std::vector<std::uint16_t> pairThenFive = {0xD83D, 0xDE00};
    pairThenFive.insert(pairThenFive.end(), 5, 0x4E2D);
    EXPECT_EQ(ucs2.parts[1], pairThenFive);
}

}  // namespace
}  // namespace sms
