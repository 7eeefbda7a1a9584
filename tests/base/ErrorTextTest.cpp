#include "base/ErrorText.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ErrorTextTest, AFullStopFollowsLettersDigitsAndNonAsciiOnly) {
    struct Row {
        std::string message;
        std::string expected;
    };
    const Row rows[] = {
        {"Unable to write to /tmp/GPRSInfo.ini", "Unable to write to /tmp/GPRSInfo.ini."},
        {"Couldn't connect to server: Connection refused", "Couldn't connect to server: Connection refused."},
        {"port 6000", "port 6000."},
        {"Done.", "Done."},
        {"Failed!", "Failed!"},
        {"(A55A#s)", "(A55A#s)"},
        {"ends with a comma,", "ends with a comma,"},
        {"a dash -", "a dash -"},
        {"a slash /", "a slash /."},
        {"\xe8\xbf\x9e\xe6\x8e\xa5\xe5\xa4\xb1\xe8\xb4\xa5",
         "\xe8\xbf\x9e\xe6\x8e\xa5\xe5\xa4\xb1\xe8\xb4\xa5."},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.expected, base::WithFullStop(row.message)) << row.message;
    }
}

}  // namespace
