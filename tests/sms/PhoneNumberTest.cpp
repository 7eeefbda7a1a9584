#include "sms/PhoneNumber.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace sms {
namespace {

TEST(PhoneNumberTest, NormalisesTypedNumbersOrRejectsThem) {
    struct Row {
        const char* typed;
        std::optional<std::string> number;
    };
    const Row rows[] = {
        {"13800138000", "13800138000"},
        {"+8613800138000", "+8613800138000"},
        {"  +86 138-0013.8000\t\r\n", "+8613800138000"},
        {"+86 (10) 1234-5678", "+861012345678"},
        {"(010) 1234 5678", "01012345678"},
        {"+(86) 10 1234", "+86101234"},
        {"+44 (0)20 7946 0000", "+442079460000"},
        {"(0)20 7946 0000", "02079460000"},
        {"138 - 0013 - 8000", "13800138000"},
        {"112", "112"},
        {"12345678901234567890", "12345678901234567890"},
        {"12", std::nullopt},
        {"+12", std::nullopt},
        {"123456789012345678901", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"   ", std::nullopt},
        {"1380013800a", std::nullopt},
        {"+86+138", std::nullopt},
        {"86+138001", std::nullopt},
        {"+ 8613800138000", std::nullopt},
        {"-13800138000", std::nullopt},
        {"13800138000-", std::nullopt},
        {"+0086 13800138000", std::nullopt},
        {"+86 (10 1234", std::nullopt},
        {"+86 10) 1234", std::nullopt},
        {"+86 ((10)) 1234", std::nullopt},
        {"+86 () 101234", std::nullopt},
        {"+86 (1-0) 1234", std::nullopt},
        {"*123#", std::nullopt},
        {"\xef\xbc\x91\xef\xbc\x93\xef\xbc\x98", std::nullopt},  // full-width digits
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(NormalizePhoneNumber(row.typed), row.number);
    }
}

TEST(PhoneNumberTest, MatchesTheSameSubscriberOnly) {
    struct Row {
        const char* a;
        const char* b;
        bool match;
    };
    const Row rows[] = {
        {"13800138000", "13800138000", true},
        {"+8613800138000", "13800138000", true},
        {"+8613800138000", "+86 138 0013 8000", true},
        {"+8613800138000", "8613800138000", true},
        {"+8613800138000", "013800138000", true},
        {"008613800138000", "13800138000", true},
        {"+447911123456", "07911123456", true},
        {"+390612345678", "0612345678", true},
        {"+44 (0)20 7946 0000", "+442079460000", true},
        {"13800138000", "13800138001", false},
        {"+8613800138000", "+8613800138001", false},
        {"+8613800138000", "+13800138000", false},
        {"+8613800138000", "38000138000", false},
        {"10086", "10086", true},
        {"10086", "010086", true},
        {"10086", "+8610086", false},
        {"138000", "13800138000", false},
        {"8000", "+8613800138000", false},
        {"1234567", "+8699991234567", true},
        {"", "", false},
        {"", "13800138000", false},
        {"Vodafone", "13800138000", false},
        {"000", "000", true},
        {"000", "0000", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " / " + row.b);
        EXPECT_EQ(PhoneNumbersMatch(row.a, row.b), row.match);
        EXPECT_EQ(PhoneNumbersMatch(row.b, row.a), row.match);
    }
}

}  // namespace
}  // namespace sms
