// The DTU's reply over a serial modem: +CMTI, AT+CMGR, the sender's number, concatenated replies.

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemTransport.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::DeliverPdu;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::MillisecondsSince;
using modem_test::Request;

std::string LogText(const SmsTransport& transport) {
    std::string text;
    for (const LogEntry& entry : transport.Log()) {
        text += FormatLogEntry(entry) + "\n";
    }
    return text;
}

struct ReplyRow {
    const char* name;
    std::string dtuNumber;  // as the user typed it
    std::string sender;     // as the network wrote it in the reply
    std::string text;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const ReplyRow& row, std::ostream* out) {
    *out << row.name;
}

class ReplyRows : public testing::TestWithParam<ReplyRow> {};

TEST_P(ReplyRows, TheReplyFromTheDtusNumberIsRead) {
    const ReplyRow& row = GetParam();
    FakeModem fake;
    fake.AddDelivery(DeliverPdu(row.sender, row.text), 100, 1);
    ModemTransport transport(FastOptions({}));
    SendRequest request = Request(fake.path(), row.dtuNumber, "(A55A#s)");
    request.replyTimeoutSeconds = 5;
    const SendResult result = transport.Send(request);
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message) << "\n"
                                                  << LogText(transport);
    ASSERT_TRUE(result.reply.has_value());
    EXPECT_EQ(*result.reply, row.text);
    EXPECT_EQ(result.references, std::vector<std::string>{"17"});
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReplyRows,
    testing::Values(
        ReplyRow{"international_typed_national_sender", "+8613800138000", "13800138000", "OK:IP SET"},
        ReplyRow{"national_typed_international_sender", "138 0013 8000", "+8613800138000", "OK"},
        ReplyRow{"country_code_without_plus", "+8613800138000", "8613800138000", "status: online"},
        ReplyRow{"ucs2_reply", "+8613800138000", "+8613800138000", "设置成功 6000"}),
    [](const testing::TestParamInfo<ReplyRow>& row) { return std::string(row.param.name); });

TEST(SerialReply, IndicationsAreTurnedOnBeforeTheFirstPart) {
    FakeModem fake;
    ModemTransport transport(FastOptions({}));
    SendRequest request = Request(fake.path(), "+8613800138000", "(A55A#s)");
    request.replyTimeoutSeconds = 1;
    transport.Send(request);
    const std::vector<std::string> commands = fake.Commands();
    const auto cnmi = std::find(commands.begin(), commands.end(), "AT+CNMI=2,1,0,0,0");
    const auto cmgs = std::find_if(commands.begin(), commands.end(),
                                   [](const std::string& c) { return c.rfind("AT+CMGS=", 0) == 0; });
    ASSERT_NE(cnmi, commands.end());
    ASSERT_NE(cmgs, commands.end());
    EXPECT_LT(cnmi - commands.begin(), cmgs - commands.begin());
}

TEST(SerialReply, MessagesFromOtherNumbersAreLeftAlone) {
    FakeModem fake;
    fake.AddDelivery(DeliverPdu("+8613900139000", "promotion"), 50, 1);
    fake.AddDelivery(DeliverPdu("10086", "balance"), 80, 1);
    fake.AddDelivery(DeliverPdu("+8613800138000", "OK"), 200, 1);
    ModemTransport transport(FastOptions({}));
    SendRequest request = Request(fake.path(), "+8613800138000", "(A55A#s)");
    request.replyTimeoutSeconds = 5;
    const SendResult result = transport.Send(request);
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.reply, std::optional<std::string>("OK"));
    EXPECT_TRUE(fake.Deleted().empty()) << "no message is ever deleted";
    const std::string log = LogText(transport);
    EXPECT_NE(log.find("from +8613900139000, not +8613800138000; left alone"), std::string::npos) << log;
    EXPECT_NE(log.find("from 10086, not +8613800138000; left alone"), std::string::npos) << log;
}

TEST(SerialReply, NoReplyFromTheNumberEndsWhenTheTimeIsUp) {
    FakeModem fake;
    fake.AddDelivery(DeliverPdu("+8613900139000", "not the DTU"), 50, 1);
    std::vector<int> secondsLeft;
    TransportOptions options = FastOptions({});
    options.onProgress = [&](const Progress& p) {
        if (p.stage == Stage::WaitingForReply) {
            secondsLeft.push_back(p.secondsLeft);
        }
    };
    ModemTransport transport(options);
    SendRequest request = Request(fake.path(), "+8613800138000", "(A55A#s)");
    request.replyTimeoutSeconds = 2;
    const auto start = std::chrono::steady_clock::now();
    const SendResult result = transport.Send(request);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_EQ(result.error.kind, ErrorKind::NoReply);
    EXPECT_EQ(RenderMessage(result.error.message), "No reply from +8613800138000 within 2 s");
    EXPECT_EQ(result.references, std::vector<std::string>{"17"}) << "the message itself went out";
    EXPECT_FALSE(result.reply.has_value());
    EXPECT_LT(elapsed, 4000);
    EXPECT_EQ(secondsLeft, (std::vector<int>{2, 1}));
}

TEST(SerialReply, AReplyInTwoPartsIsJoinedWhateverTheirOrder) {
    FakeModem fake;
    const std::string first = "OK:(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001) ";
    const std::string second = "signal 23";
    fake.AddDelivery(DeliverPdu("+8613800138000", second, 99, 2, 2), 50, 1);
    fake.AddDelivery(DeliverPdu("+8613900139000", "other", 99, 2, 1), 80, 1);  // same reference, other sender
    fake.AddDelivery(DeliverPdu("+8613800138000", first, 99, 2, 1), 150, 1);
    ModemTransport transport(FastOptions({}));
    SendRequest request = Request(fake.path(), "+8613800138000", "(A55A#s)");
    request.replyTimeoutSeconds = 5;
    const SendResult result = transport.Send(request);
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.reply, std::optional<std::string>(first + second));
}

TEST(SerialReply, WaitingWithoutSendingReadsTheNextMessageFromTheNumber) {
    FakeModem fake;
    fake.AddDelivery(DeliverPdu("13800138000", "hello"), 100, 0);
    ModemTransport transport(FastOptions({}));
    const ReplyResult result = transport.WaitForReply({fake.path(), "+8613800138000", 5});
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.reply, std::optional<std::string>("hello"));
    EXPECT_TRUE(fake.Pdus().empty());
    EXPECT_FALSE(fake.SlaveOpenedByOthers());
}

}  // namespace
}  // namespace modem
