// dtusms send end to end: the built program loads the modem plugin and talks to a fake modem on a
// pseudo-terminal, which decodes what would have gone out.

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/cli/ProgramRunner.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using modem_test::DecodedParts;
using modem_test::DeliverPdu;
using modem_test::FakeModem;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgram;

constexpr const char* kCommand = "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)";

class SendCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(settings_,
                   "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nDTU number=TQ-GP000001\r\n"
                   "DTU phone number=+86 138 0013 8000\r\n");
    }
    std::vector<std::string> Args(const std::vector<std::string>& flags) const {
        std::vector<std::string> args{"send", "--settings=" + settings_, "--modem", fake_.path()};
        args.insert(args.end(), flags.begin(), flags.end());
        return args;
    }
    // The texts of the parts the fake modem took, and the number they went to.
    std::vector<std::string> SentTexts(std::string* number = nullptr) const {
        std::vector<std::string> texts;
        for (const sms::SubmitPdu& part : DecodedParts(fake_)) {
            texts.push_back(part.userData.text);
            if (number != nullptr) {
                *number = part.destination.number;
            }
        }
        return texts;
    }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
    FakeModem fake_;
};

TEST_F(SendCommandTest, OnePartGoesToTheStoredNumber) {
    const Outcome outcome = RunProgram(Args({}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "sent: 17\n");
    EXPECT_EQ(outcome.err, "") << "no progress lines when standard error is no terminal";
    std::string number;
    EXPECT_EQ(SentTexts(&number), std::vector<std::string>{kCommand});
    EXPECT_EQ(number, "+8613800138000");
}

TEST_F(SendCommandTest, ALongCommandGoesInPartsToTheNumberGiven) {
    const struct {
        std::size_t dtuLength;
        std::string out;
    } rows[] = {
        {200, "sent: 17\nsent: 18\n"},
        {1490,
         "sent: 19\nsent: 20\nsent: 21\nsent: 22\nsent: 23\nsent: 24\nsent: 25\nsent: 26\nsent: 27\nsent: "
         "28\n"},
    };
    std::size_t partsBefore = 0;
    for (const auto& row : rows) {
        const std::string dtu(row.dtuLength, 'D');
        const Outcome outcome = RunProgram(Args({"--dtu", dtu, "--phone", "(010) 1234-5678"}));
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, row.out);
        std::string number;
        const std::vector<std::string> texts = SentTexts(&number);
        std::string joined;
        for (std::size_t i = partsBefore; i < texts.size(); ++i) {
            joined += texts[i];
        }
        partsBefore = texts.size();
        EXPECT_EQ(joined, "(A55A#1*192.168.1.100*6000#3*CMNET#4*" + dtu + ")");
        EXPECT_EQ(number, "01012345678");
    }
}

TEST_F(SendCommandTest, TheReplyIsPrintedOnOneLine) {
    fake_.AddDelivery(DeliverPdu("+8613900139000", "someone else"), 100, 1);
    fake_.AddDelivery(DeliverPdu("13800138000", "OK\r\nIP:1.2.3.4\nPORT:6000"), 300, 1);
    const Outcome outcome = RunProgram(Args({"--wait-reply", "20"}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "sent: 17\nreply: OK\\nIP:1.2.3.4\\nPORT:6000\n");
}

TEST_F(SendCommandTest, FailuresExitWithOneAndSayWhyInWords) {
    const auto started = std::chrono::steady_clock::now();
    const Outcome noReply = RunProgram(Args({"--wait-reply", "1"}));
    EXPECT_EQ(noReply.status, 1);
    EXPECT_EQ(noReply.out, "sent: 17\n") << "the part went out; only the reply is missing";
    EXPECT_EQ(noReply.err, "No reply from +8613800138000 within 1 s\n");
    EXPECT_LT(modem_test::MillisecondsSince(started), 15000);

    FakeModem refusing;
    refusing.SetPartError(1, "+CMS ERROR: 38");
    const Outcome refused = RunProgram({"send", "--settings=" + settings_, "--modem", refusing.path()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "The modem refused part 1 of 1: network out of order (+CMS ERROR: 38)\n");

    const Outcome noModem = RunProgram(Args({"--modem", dir_.File("ttyUSB9")}));
    EXPECT_EQ(noModem.status, 1);
    EXPECT_NE(noModem.err.find(dir_.File("ttyUSB9")), std::string::npos) << noModem.err;
}

TEST_F(SendCommandTest, NothingIsSentForABadNumberAMissingFieldOrABadOption) {
    const struct {
        std::vector<std::string> flags;
        int status;
        std::string err;
    } rows[] = {
        {{"--phone", "+86 138 abc"}, 1, "Please enter valid \"DTU phone number\"\n"},
        {{"--phone", "12"}, 1, "Please enter valid \"DTU phone number\"\n"},
        {{"--dtu", ""}, 1, "Please enter valid \"DTU number\"\n"},
        {{"--mode", "domain", "--domain", " "}, 1, "Please enter valid \"Domain address\"\n"},
        {{"--wait-reply", "soon"},
         2,
         "dtusms: --wait-reply: \"soon\" is not a number from 1 to 86400. See dtusms --help.\n"},
        {{"--length"}, 2, "dtusms: --length does not apply to send. See dtusms --help.\n"},
        {{"--smsc", "service"}, 2, "dtusms: --smsc: \"service\" is not a phone number. See dtusms --help.\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgram(Args(row.flags));
        EXPECT_EQ(outcome.status, row.status) << row.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, row.err);
    }
    EXPECT_EQ(fake_.Commands(), std::vector<std::string>{}) << "the modem was never even opened";
}

TEST_F(SendCommandTest, CtrlCWhileThePromptIsAwaitedSendsNothing) {
    fake_.SetPromptMissing(true);
    testing::RunningProgram program(Args({}));
    ASSERT_TRUE(program.started());
    const auto started = std::chrono::steady_clock::now();
    while (modem_test::CommandsStartingWith(fake_, "AT+CMGS=").empty() &&
           modem_test::MillisecondsSince(started) < 20000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    program.Signal(SIGINT);
    const Outcome outcome = program.Wait();
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "Cancelled\n");
    EXPECT_GE(fake_.Escapes(), 1) << "the pending prompt is aborted";
    EXPECT_EQ(fake_.Pdus(), std::vector<std::string>{});
}

TEST_F(SendCommandTest, AProgramWithoutItsModemPluginSaysSoOnOneLine) {
    const std::string copy = dir_.File("dtusms");
    std::filesystem::copy_file(DTUSMS_PROGRAM, copy);
    const Outcome outcome = testing::RunProgramFile(copy, Args({}));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(
        outcome.err.starts_with("Cannot load the modem support: " + dir_.File("libdtusms_modem.so") + ": "))
        << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    EXPECT_EQ(fake_.Commands(), std::vector<std::string>{});
}

}  // namespace
}  // namespace app
