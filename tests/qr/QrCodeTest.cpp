#include "qr/QrCode.h"

#include <string>

#include <gtest/gtest.h>

namespace qr {
namespace {

TEST(QrCodeTest, SmsToPayloadKeepsTheCommandAndRefusesPhonesThatWouldBreakTheLink) {
    EXPECT_EQ(SmsToPayload("+8613800138000", "(A55A#s)"), "SMSTO:+8613800138000:(A55A#s)");
    // Readers split at the first colon after the prefix, so one in the command is harmless.
    EXPECT_EQ(SmsToPayload("10086", "a:b"), "SMSTO:10086:a:b");
    EXPECT_EQ(SmsToPayload("123", ""), "SMSTO:123:");

    const std::string refused[] = {"", "+86:138", ":", "138\n00", "\t138", "138\x7f"};
    for (const std::string& phone : refused) {
        SCOPED_TRACE(phone);
        try {
            SmsToPayload(phone, "(A55A#s)");
            ADD_FAILURE() << "accepted";
        } catch (const QrError& error) {
            EXPECT_EQ(error.reason(), QrError::Reason::kInvalidPhone);
        }
    }
}

// Byte capacities at level M: version 1 holds 14 bytes, 2 holds 26, 4 holds 62, 5 holds 84 and 40
// holds 2331, so these rows also catch a code made at another error-correction level.
TEST(QrCodeTest, ChoosesTheSmallestVersionAtLevelMOrReportsTooLong) {
    const std::string typical = "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)";
    const struct {
        std::string bytes;
        int version;  // 0: too long
    } rows[] = {
        {"", 1},
        {std::string(14, 'a'), 1},
        {std::string(15, 'a'), 2},
        {std::string(62, 'A'), 4},
        {typical, 5},
        {std::string(2331, '0'), 40},
        {std::string(2332, '0'), 0},
        {std::string(1 << 20, 'x'), 0},
        // 14 bytes of UTF-8 fit version 1 alone, but not with the ECI designator that precedes them.
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 2},
        {std::string("a\0b", 3), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 40) + " (" + std::to_string(row.bytes.size()) + " bytes)");
        try {
            const QrCode code = QrCode::Encode(row.bytes);
            EXPECT_EQ(code.version(), row.version);
            EXPECT_EQ(code.size(), 17 + 4 * code.version());
            EXPECT_FALSE(code.IsDark(-1, 0) || code.IsDark(0, code.size()) || code.IsDark(code.size(), 0));
            EXPECT_TRUE(code.IsDark(0, 0));  // the finder pattern's corner
        } catch (const QrError& error) {
            EXPECT_EQ(row.version, 0) << error.what();
            EXPECT_EQ(error.reason(), QrError::Reason::kPayloadTooLong);
        }
    }
}

}  // namespace
}  // namespace qr
