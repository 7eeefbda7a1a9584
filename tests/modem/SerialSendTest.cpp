// Sending through a serial modem, against the fake modem on a pseudo-terminal.

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemTransport.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::CommandsStartingWith;
using modem_test::DecodedParts;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::Request;

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

struct SendRow {
    const char* name;
    std::string number;
    std::string text;
    std::string smsc;
    std::string expectedDestination;
    std::uint8_t expectedType;
    std::string expectedSmsc;
    sms::DataCoding expectedCoding;
    std::size_t expectedParts;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const SendRow& row, std::ostream* out) {
    *out << row.name;
}

class SendRows : public testing::TestWithParam<SendRow> {};

// What would have gone out over the air, read back from the PDUs the modem took.
TEST_P(SendRows, TheModemReceivesTheNumberAndTextAsTyped) {
    const SendRow& row = GetParam();
    FakeModem fake;
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), row.number, row.text, row.smsc));

    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.modem, fake.path());
    EXPECT_EQ(result.parts, static_cast<int>(row.expectedParts));
    const std::vector<sms::SubmitPdu> parts = DecodedParts(fake);
    ASSERT_EQ(parts.size(), row.expectedParts);
    const std::vector<std::string> cmgs = CommandsStartingWith(fake, "AT+CMGS=");
    ASSERT_EQ(cmgs.size(), row.expectedParts);
    std::string joined;
    std::vector<std::string> expectedReferences;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const sms::SubmitPdu& part = parts[i];
        EXPECT_EQ(part.destination.number, row.expectedDestination);
        EXPECT_EQ(part.destination.typeOfAddress, row.expectedType);
        EXPECT_EQ(part.serviceCentre.number, row.expectedSmsc);
        EXPECT_EQ(part.userData.coding, row.expectedCoding);
        EXPECT_EQ(cmgs[i], "AT+CMGS=" + std::to_string(part.tpduLength));
        if (row.expectedParts > 1) {
            ASSERT_TRUE(part.userData.concatenation.has_value());
            EXPECT_EQ(part.userData.concatenation->total, static_cast<int>(row.expectedParts));
            EXPECT_EQ(part.userData.concatenation->sequence, static_cast<int>(i + 1));
            EXPECT_EQ(part.userData.concatenation->reference, parts[0].userData.concatenation->reference);
        }
        joined += part.userData.text;
        expectedReferences.push_back(std::to_string(17 + i));  // the fake counts from 17
    }
    EXPECT_EQ(joined, row.text);
    EXPECT_EQ(result.references, expectedReferences);
    EXPECT_FALSE(fake.SlaveOpenedByOthers()) << "the port must be closed after sending";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SendRows,
    testing::Values(SendRow{"international_gsm7", "+86 138-0013-8000", "(A55A#s)", "", "+8613800138000", 0x91,
                            "", sms::DataCoding::gsm7, 1},
                    SendRow{"national_number", "13800138000", "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)",
                            "", "13800138000", 0x81, "", sms::DataCoding::gsm7, 1},
                    SendRow{"service_centre_given", "+8613800138000", "hello", "+86 13800100500",
                            "+8613800138000", 0x91, "+8613800100500", sms::DataCoding::gsm7, 1},
                    SendRow{"ucs2", "+8613800138000", "(A55A#2*服务器.example*6000#3*CMNET#4*设备一)", "",
                            "+8613800138000", 0x91, "", sms::DataCoding::ucs2, 1},
                    SendRow{"two_parts", "+8613800138000", std::string(200, 'x') + "{}", "", "+8613800138000",
                            0x91, "", sms::DataCoding::gsm7, 2},
                    SendRow{"two_ucs2_parts", "+8613800138000", Repeat("设", 100), "", "+8613800138000", 0x91,
                            "", sms::DataCoding::ucs2, 2}),
    [](const testing::TestParamInfo<SendRow>& row) { return std::string(row.param.name); });

TEST(SerialSend, PreparesTheModemInOrderBeforeTheFirstPart) {
    FakeModem fake;
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", "(A55A#s)"));
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    const std::vector<std::string> commands = fake.Commands();
    ASSERT_EQ(commands.size(), 6U);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 5),
              (std::vector<std::string>{"AT", "ATE0", "AT+CMEE=1", "AT+CPIN?", "AT+CMGF=0"}));
    EXPECT_EQ(commands[5].rfind("AT+CMGS=", 0), 0U) << commands[5];
}

struct RefusalRow {
    const char* name;
    std::string answer;  // the modem's answer to the first part
    std::string expected;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const RefusalRow& row, std::ostream* out) {
    *out << row.name;
}

class RefusalRows : public testing::TestWithParam<RefusalRow> {};

TEST_P(RefusalRows, ShowsTheCodeWithItsMeaning) {
    FakeModem fake;
    fake.SetPartError(1, GetParam().answer);
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", "(A55A#s)"));
    EXPECT_EQ(result.error.kind, ErrorKind::Refused);
    EXPECT_EQ(RenderMessage(result.error.message), GetParam().expected);
    EXPECT_TRUE(result.references.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RefusalRows,
    testing::Values(
        RefusalRow{
            "smsc_unknown", "+CMS ERROR: 330",
            "The modem refused part 1 of 1: service-centre number unknown; enter the service-centre number "
            "(+CMS ERROR: 330)"},
        RefusalRow{"network_out_of_order", "+CMS ERROR: 38",
                   "The modem refused part 1 of 1: network out of order (+CMS ERROR: 38)"},
        RefusalRow{"no_network", "+CMS ERROR: 331",
                   "The modem refused part 1 of 1: no network service (+CMS ERROR: 331)"},
        RefusalRow{"cme_sim_busy", "+CME ERROR: 14",
                   "The modem refused part 1 of 1: SIM card busy; try again (+CME ERROR: 14)"},
        RefusalRow{"unknown_code", "+CMS ERROR: 999", "The modem refused part 1 of 1: +CMS ERROR: 999"},
        RefusalRow{"code_in_words", "+CMS ERROR: SMSC address unknown",
                   "The modem refused part 1 of 1: +CMS ERROR: SMSC address unknown"},
        RefusalRow{"plain_error", "ERROR", "The modem refused part 1 of 1: ERROR"}),
    [](const testing::TestParamInfo<RefusalRow>& row) { return std::string(row.param.name); });

TEST(SerialSend, StopsAtTheFirstRefusedPartAndKeepsTheReferencesOfThoseSent) {
    FakeModem fake;
    fake.SetPartError(2, "+CMS ERROR: 42");
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", std::string(400, 'y')));
    EXPECT_EQ(result.parts, 3);
    EXPECT_EQ(result.references, std::vector<std::string>{"17"});
    EXPECT_EQ(RenderMessage(result.error.message),
              "The modem refused part 2 of 3: network congestion; try again later (+CMS ERROR: 42)");
    EXPECT_EQ(fake.Pdus().size(), 2U) << "part 3 must not be tried after part 2 failed";
}

TEST(SerialSend, UnsolicitedLinesInsideAnswersAreNotTakenForTheAnswer) {
    FakeModem fake;
    fake.SetInterjection("AT+CPIN?", "\r\nRING\r\n\r\n+CREG: 1,1\r\n");
    fake.SetInterjection("AT+CMGS", "\r\n+CMTI: \"SM\",7\r\n\r\nRING\r\n");
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", std::string(170, 'z')));
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.references, (std::vector<std::string>{"17", "18"}));
}

TEST(SerialSend, RefusesARequestItCannotSendBeforeTouchingTheModem) {
    FakeModem fake;
    ModemTransport transport(FastOptions({}));
    for (const SendRequest& request :
         {Request(fake.path(), "138OO138000", "x"), Request(fake.path(), "", "x"),
          Request(fake.path(), "+8613800138000", ""), Request(fake.path(), "+8613800138000", "x", "smsc?")}) {
        const SendResult result = transport.Send(request);
        EXPECT_EQ(result.error.kind, ErrorKind::InvalidRequest) << request.number << " / " << request.text;
    }
    EXPECT_EQ(RenderMessage(transport.Send(Request(fake.path(), "138OO138000", "x")).error.message),
              "Not a valid phone number: 138OO138000");
    EXPECT_TRUE(fake.Commands().empty());
}

}  // namespace
}  // namespace modem
