#include "sms/SmsPdu.h"

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sms/PhoneNumber.h"

namespace sms {
namespace {

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(DTUSMS_SMS_TEST_DATA) + "/pdu/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SmsPduFaultsTest, MalformedPdusGiveAClearError) {
    struct Row {
        const char* file;
        const char* error;
    };
    const Row rows[] = {
        {"deliver-empty.hex", "ends inside the service-centre length"},
        {"deliver-odd-hex-digits.hex", "odd number of hex digits (71)"},
        {"deliver-non-hex-character.hex", "character 21 of the PDU is not a hex digit"},
        {"deliver-blank-inside.hex", "character 17 of the PDU is not a hex digit"},
        {"deliver-cut-in-user-data.hex", "ends inside the user data"},
        {"deliver-cut-in-time-stamp.hex", "ends inside the time stamp"},
        {"deliver-service-centre-too-long.hex", "claims 12 octets; at most 11"},
        {"deliver-service-centre-past-end.hex", "ends inside the service-centre number"},
        {"deliver-originator-too-long.hex", "claims 21 digits; at most 20"},
        {"deliver-originator-past-end.hex", "ends inside the originator address"},
        {"deliver-filler-inside-originator.hex", "filler digit F inside"},
        {"deliver-user-data-length-past-end.hex", "ends inside the user data (octet 28: 18 needed, 9 left)"},
        {"deliver-user-data-over-140-octets.hex", "claims 141 octets; at most 140"},
        {"deliver-octet-after-user-data.hex", "1 octet follows the user data"},
        {"deliver-header-past-user-data.hex", "header runs past the user data"},
        {"deliver-header-element-past-header.hex", "element runs past the header"},
        {"deliver-header-announced-empty.hex", "header is announced but the user data is empty"},
        {"deliver-length-shorter-than-header.hex", "shorter than its header"},
        {"deliver-compressed-text.hex", "compressed text (data coding 0x20)"},
        {"deliver-ucs2-odd-octets.hex", "odd number of octets"},
        {"deliver-time-stamp-not-decimal.hex", "second is not decimal"},
        {"deliver-given-a-submit.hex", "not an SMS-DELIVER"},
        {"submit-given-a-deliver.hex", "not an SMS-SUBMIT"},
        {"submit-cut-in-validity-period.hex", "ends inside the validity period"},
        {"submit-destination-past-end.hex", "ends inside the destination address"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string hex = ReadFixture(row.file);
        const bool submit = std::string_view(row.file).starts_with("submit");
        const bool ok = submit ? DecodeSubmitPdu(hex).ok : DecodeDeliverPdu(hex).ok;
        const std::string error = submit ? DecodeSubmitPdu(hex).error : DecodeDeliverPdu(hex).error;
        EXPECT_FALSE(ok);
        EXPECT_THAT(error, testing::HasSubstr(row.error));
    }
}

// Random texts over every kind of character, random numbers as they may be typed: what is encoded
// decodes to the same number and text.
TEST(SmsPduFaultsTest, RandomTextsRoundTripThroughSubmitPdus) {
    const std::string pool[] = {"a",
                                "Z",
                                "7",
                                " ",
                                "@",
                                "\n",
                                "\xc3\xa9",
                                "\xce\x94",
                                "{",
                                "\xe2\x82\xac",
                                "\\",
                                "\xe4\xb8\xad",
                                "\xf0\x9f\x98\x80",
                                "\xc3\xa7",
                                "\f",
                                "\x01"};
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int characters = std::uniform_int_distribution<int>(0, round % 3 == 0 ? 40 : 400)(random);
        // Most texts stay in the GSM alphabet, so that long 7-bit texts are drawn too.
        const int kinds = round % 2 == 0 ? 11 : 16;
        for (int i = 0; i < characters; ++i) {
            text += pool[std::uniform_int_distribution<int>(0, kinds - 1)(random)];
        }
        std::string number = round % 4 == 0 ? "+86 " : "";
        const int digits = std::uniform_int_distribution<int>(3, 16)(random);
        for (int i = 0; i < digits; ++i) {
            number += static_cast<char>('0' + std::uniform_int_distribution<int>(1, 9)(random));
        }
        SCOPED_TRACE(number + " / " + text);
        const SubmitEncoding encoding =
            EncodeSubmitPdu({number, text, "+8613800100500", std::uint8_t(round)});
        ASSERT_TRUE(encoding.ok) << encoding.error;
        EXPECT_EQ(static_cast<int>(encoding.parts.size()), encoding.length.parts);
        std::string decodedText;
        for (const SubmitPart& part : encoding.parts) {
            const SubmitDecoding decoded = DecodeSubmitPdu(part.hex);
            ASSERT_TRUE(decoded.ok) << decoded.error;
            EXPECT_EQ(decoded.pdu.destination.number, NormalizePhoneNumber(number));
            EXPECT_EQ(decoded.pdu.serviceCentre.number, "+8613800100500");
            EXPECT_EQ(decoded.pdu.tpduLength, part.tpduLength);
            decodedText += decoded.pdu.userData.text;
        }
        EXPECT_EQ(decodedText, text);
    }
}

}  // namespace
}  // namespace sms
