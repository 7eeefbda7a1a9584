#include "base/AsciiText.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(AsciiTextTest, CaseRulesTouchAsciiLettersOnly) {
    EXPECT_EQ("LOCALE/ZH_CN/LC_MESSAGES/DEFAULT.MO",
              base::UpperCaseAscii("locale/zh_cn/LC_MESSAGES/default.mo"));
    EXPECT_EQ("\xc3\xa9\xc3\x89@[`{", base::UpperCaseAscii("\xc3\xa9\xc3\x89@[`{"));
    EXPECT_EQ('a', base::AsciiLower('A'));
    EXPECT_EQ('@', base::AsciiLower('@'));
    EXPECT_EQ('[', base::AsciiLower('['));

    struct Row {
        std::string a, b;
        bool equal;
    };
    const Row rows[] = {
        {"Static", "sTATIC", true},
        {"cmnet", "CMNET", true},
        {"", "", true},
        {"cmnet", "cmne", false},
        {"cmne", "cmnet", false},
        // '@' and '`' sit next to the letters: no case rule may fold them.
        {"@", "`", false},
        {"[", "{", false},
        // A non-ASCII byte is compared as it is; a locale's case tables play no part.
        {"\xc3\xa9", "\xc3\x89", false},
        {std::string("a\0b", 3), std::string("A\0B", 3), true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.equal, base::EqualsIgnoringAsciiCase(row.a, row.b)) << row.a << " ~ " << row.b;
    }
}

TEST(AsciiTextTest, TrimsCodesUpTo32AtBothEndsOnly) {
    std::string allLow;
    for (int c = 0; c <= 32; ++c) {
        allLow += static_cast<char>(c);
    }
    struct Row {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"", ""},
        {"   ", ""},
        {allLow, ""},
        {"  1.2.3.4 \t", "1.2.3.4"},
        {"a b", "a b"},
        {allLow + "a" + allLow + "b" + allLow, "a" + allLow + "b"},
        {"\x7f"
         "a\x7f",
         "\x7f"
         "a\x7f"},
        {"\xc2\xa0x\xc2\xa0", "\xc2\xa0x\xc2\xa0"},
        {std::string("\0x\0", 3), "x"},
        {" \xe6\x9c\x8d ", "\xe6\x9c\x8d"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.expected, base::TrimBlanks(row.text));
    }
}

}  // namespace
