#include "net/MessageFormat.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(MessageFormatTest, FillsOnlyTheFirstAddressAndPortPlaceholders) {
    struct Row {
        std::string text;
        std::string address;
        long long port;
        std::string expected;
    };
    const Row rows[] = {
        {"With IP =%s, port =%d of server connection is failed!", "1.2.3.4", 6000,
         "With IP =1.2.3.4, port =6000 of server connection is failed!"},
        {"IP =%s, port =%d", "", 99999, "IP =, port =99999"},
        {"port %d before IP %s", "host", 1000, "port 1000 before IP host"},
        {"no placeholders", "host", 1, "no placeholders"},
        {"only %s", "host", 1, "only host"},
        {"%s %s %d %d", "a", 7, "a %s 7 %d"},
        {"100%% at %s", "a", 7, "100% at a"},
        {"%n%x%p %s %", "a", 7, "%n%x%p a %"},
        {"IP =%s, port =%d", "%s%d%n%%", 42, "IP =%s%d%n%%, port =42"},
        {"IP =%s", " spaced ", 1, "IP = spaced "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.expected, net::FillAddressAndPort(row.text, row.address, row.port));
    }
}

TEST(MessageFormatTest, TrimsCodesUpTo32AtBothEndsOnly) {
    struct Row {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"", ""},
        {"   ", ""},
        {" \t\r\n\x01\x1f ", ""},
        {"  1.2.3.4 \t", "1.2.3.4"},
        {"a b", "a b"},
        {"\x7f"
         "a\x7f",
         "\x7f"
         "a\x7f"},
        {"\xc2\xa0x\xc2\xa0", "\xc2\xa0x\xc2\xa0"},
        {std::string("\0a\0", 3), "a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.expected, net::TrimControlAndSpace(row.text));
    }
}

}  // namespace
