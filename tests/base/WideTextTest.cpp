#include "base/WideText.h"

#include <string>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(WideTextTest, Utf8AndUtf16RoundTripWhatEitherSpells) {
    struct Row {
        std::string utf8;
        std::wstring wide;
    };
    const Row rows[] = {
        {"GPRSInfo.ini", L"GPRSInfo.ini"},
        {"C:\\\xe8\xae\xbe\xe7\xbd\xae\\GPRSInfo.ini", L"C:\\\u8bbe\u7f6e\\GPRSInfo.ini"},
        // A character outside the basic plane becomes a surrogate pair and back.
        {"\xf0\x9f\x93\xa1", L"\U0001F4E1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.wide, base::ToWide(row.utf8)) << row.utf8;
        EXPECT_EQ(row.utf8, base::ToUtf8(row.wide)) << row.utf8;
    }
}

// A path that is no valid UTF-8, or that a NUL would cut short, must name nothing rather than
// another file.
TEST(WideTextTest, TextThatIsNoPathGivesNothing) {
    const std::string rows[] = {
        std::string("a\0b.ini", 7),
        "\xff.ini",
        "\xe8\xae.ini",  // a character cut short
        "\xc0\xaf.ini",  // an overlong "/"
        "",
    };
    for (const std::string& row : rows) {
        EXPECT_EQ(std::wstring(), base::ToWide(row)) << row;
    }
    // The other way an unpaired surrogate becomes the replacement character.
    EXPECT_EQ(
        "a\xef\xbf\xbd"
        "b",
        base::ToUtf8(std::wstring(L"a\xD800"
                                  L"b")));
}

TEST(WideTextTest, SystemErrorTextIsOneLineWithoutFinalStop) {
    const std::string text = base::SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n")) << text;
    EXPECT_NE('.', text.back()) << text;
    EXPECT_EQ("error 4294967295", base::SystemErrorText(0xFFFFFFFFu));
}

}  // namespace
