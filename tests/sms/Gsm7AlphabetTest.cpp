#include "sms/Gsm7Alphabet.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sms/PduOctets.h"
#include "sms/UnicodeText.h"

namespace sms {
namespace {

std::vector<std::uint8_t> Septets(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

TEST(Gsm7AlphabetTest, PacksAndUnpacksSeptetsAfterFillBits) {
    struct Row {
        const char* shows;
        std::vector<std::uint8_t> septets;
        int fillBits;
        const char* hex;
    };
    const Row rows[] = {
        {"hellohello", Septets("hellohello"), 0, "E8329BFD4697D9EC37"},
        {"How are you?", Septets("How are you?"), 0, "C8F71D14969741F977FD07"},
        {"eight septets fill seven octets", Septets("Vodafone"), 0, "D637396C7EBBCB"},
        {"one fill bit after a concatenation header", Septets("hellohello"), 1, "D06536FB8D2EB3D96F"},
        {"one fill bit", Septets("aaa"), 1, "C2E130"},
        {"six fill bits", Septets("hi"), 6, "003A0D"},
        {"all ones with one fill bit", {0x7F, 0x7F}, 1, "FE7F"},
        {"nothing", {}, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        const std::vector<std::uint8_t> packed = PackSeptets(row.septets, row.fillBits);
        EXPECT_EQ(ToHex(packed), row.hex);
        EXPECT_EQ(UnpackSeptets(packed, row.fillBits, row.septets.size()), row.septets);
    }
    // A count past the octets gives only the septets that are wholly there.
    EXPECT_EQ(UnpackSeptets(PackSeptets(Septets("abc"), 0), 0, 9), Septets("abc"));
    EXPECT_EQ(UnpackSeptets({}, 3, 2), std::vector<std::uint8_t>{});
}

TEST(Gsm7AlphabetTest, EveryCharacterOfBothTablesRoundTrips) {
    int single = 0;
    int extension = 0;
    for (char32_t codePoint = 0; codePoint < 0x2100; ++codePoint) {
        const Gsm7Character encoded = EncodeGsm7(codePoint);
        if (encoded.count == 0) {
            continue;
        }
        (encoded.count == 1 ? single : extension) += 1;
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        EXPECT_EQ(DecodeGsm7({encoded.septets, encoded.septets + encoded.count}), utf8)
            << "U+" << std::hex << static_cast<unsigned>(codePoint);
    }
    EXPECT_EQ(single, 127);  // every septet but the escape
    EXPECT_EQ(extension, 10);
}

TEST(Gsm7AlphabetTest, DecodesEscapesAsReceiversShowThem) {
    struct Row {
        const char* shows;
        std::vector<std::uint8_t> septets;
        std::string text;
    };
    const Row rows[] = {
        {"extension characters", {0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x65}, "{}\xe2\x82\xac"},
        {"undefined extension code reads as its default character", {0x1B, 0x41}, "A"},
        {"escape escape reads as a space", {0x1B, 0x1B, 0x41}, " A"},
        {"escape at the end reads as a space", {0x41, 0x1B}, "A "},
        {"at sign, pound, Greek, top bit ignored",
         {0x00, 0x01, 0x10, 0xC1},
         "@\xc2\xa3\xce\x94"
         "A"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        EXPECT_EQ(DecodeGsm7(row.septets), row.text);
    }
}

TEST(Gsm7AlphabetTest, Utf8AndUtf16ReplaceWhatIsMalformed) {
    struct Row {
        const char* shows;
        std::string utf8;
        std::u32string codePoints;
    };
    const Row rows[] = {
        {"valid of every length", "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80", U"a\u00e9\u4e2d\U0001F600"},
        {"stray continuation byte", "\x80z", U"\uFFFDz"},
        {"cut sequence keeps the next byte", "\xe4\xb8z", U"\uFFFDz"},
        {"overlong form", "\xc0\xaf", U"\uFFFD\uFFFD"},
        {"overlong three-byte form", "\xe0\x80\xaf", U"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xed\xa0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"cut at the end", "a\xf0\x9f\x98", U"a\uFFFD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        EXPECT_EQ(DecodeUtf8(row.utf8), row.codePoints);
    }
    const std::vector<std::uint8_t> pairAndLoneHalves = {0xD8, 0x3D, 0xDE, 0x00, 0xDE,
                                                         0x00, 0xD8, 0x3D, 0x00};
    EXPECT_EQ(Utf16BeToUtf8(pairAndLoneHalves), "\xf0\x9f\x98\x80\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");

    // The UTF-16 form of the built-in texts: a pair in and out whole, a cut sequence and a lone
    // surrogate as U+FFFD.
    EXPECT_EQ(Utf8ToUtf16("a\xf0\x9f\x98\x80\xe4\xb8z"), u"a\U0001F600\uFFFDz");
    EXPECT_EQ(Utf16ToUtf8(u"a\U0001F600"), "a\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', char16_t{0xDC00}, u'y', char16_t{0xD83D}}),
              "x\xef\xbf\xbdy\xef\xbf\xbd");
}

}  // namespace
}  // namespace sms
