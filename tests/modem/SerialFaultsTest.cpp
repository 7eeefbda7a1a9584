// A serial modem that misbehaves: silent, slow, garbage, unplugged, locked, text mode only, no
// prompt; and a cancel from another thread. Each ends with a clear error within the time-outs,
// nothing sent twice and the port released.

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemTransport.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::CommandsStartingWith;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::MillisecondsSince;
using modem_test::Request;

struct FaultRow {
    const char* name;
    std::function<void(FakeModem&)> script;
    ErrorKind kind;
    std::string message;     // with "%p" standing for the port's path
    std::size_t partsTaken;  // PDUs the modem received
    std::vector<std::string> references;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
}

std::string WithPath(std::string text, const std::string& path) {
    if (const auto at = text.find("%p"); at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

class FaultRows : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultRows, EndsWithAClearErrorWithinTheTimeOuts) {
    const FaultRow& row = GetParam();
    FakeModem fake;
    row.script(fake);
    const TransportOptions options = FastOptions({});
    ModemTransport transport(options);
    const auto start = std::chrono::steady_clock::now();
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", std::string(170, 'q')));
    const long long elapsed = MillisecondsSince(start);

    EXPECT_EQ(static_cast<int>(result.error.kind), static_cast<int>(row.kind));
    EXPECT_EQ(RenderMessage(result.error.message), WithPath(row.message, fake.path()));
    EXPECT_EQ(fake.Pdus().size(), row.partsTaken);
    EXPECT_EQ(result.references, row.references);
    // The longest path: three unanswered "AT" tries, or two parts that each use their whole time.
    const Timeouts& t = options.timeouts;
    EXPECT_LT(elapsed, std::max(t.answerTries * t.answerMs, 2 * t.partMs) + 1500)
        << "took " << elapsed << " ms";
    EXPECT_FALSE(fake.SlaveOpenedByOthers()) << "the port must be released";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultRows,
    testing::Values(
        FaultRow{"never_answers",
                 [](FakeModem& f) { f.SetSilent(true); },
                 ErrorKind::NoAnswer,
                 "The modem on %p does not answer",
                 0,
                 {}},
        FaultRow{"answers_garbage",
                 [](FakeModem& f) { f.SetGarbage(true); },
                 ErrorKind::NoAnswer,
                 "The modem on %p answers with unreadable data; check the baud rate",
                 0,
                 {}},
        FaultRow{"sim_needs_pin",
                 [](FakeModem& f) { f.SetPinState("SIM PIN"); },
                 ErrorKind::SimPin,
                 "The SIM card needs its PIN",
                 0,
                 {}},
        FaultRow{"sim_needs_puk",
                 [](FakeModem& f) { f.SetPinState("SIM PUK"); },
                 ErrorKind::SimPin,
                 "The SIM card needs its PUK",
                 0,
                 {}},
        FaultRow{"no_sim", [](FakeModem& f) { f.SetPinState(""); }, ErrorKind::NoSim, "No SIM card", 0, {}},
        FaultRow{"text_mode_only",
                 [](FakeModem& f) { f.SetTextModeOnly(true); },
                 ErrorKind::PduModeRefused,
                 "The modem works only in text mode, which cannot carry every character; use a modem that "
                 "supports "
                 "PDU mode",
                 0,
                 {}},
        FaultRow{"missing_prompt",
                 [](FakeModem& f) { f.SetPromptMissing(true); },
                 ErrorKind::NoAnswer,
                 "The modem did not take part 1 of 2; nothing of it was sent",
                 0,
                 {}},
        // An OK without the prompt cannot mean that the part went: its PDU was never written (another
        // program on the same port, say, got that OK).
        FaultRow{"ok_instead_of_prompt",
                 [](FakeModem& f) { f.SetPromptAnswer("OK"); },
                 ErrorKind::NoAnswer,
                 "The modem did not take part 1 of 2; nothing of it was sent",
                 0,
                 {}},
        FaultRow{"vanishes_after_first_part",
                 [](FakeModem& f) { f.SetVanishAfterPart(1); },
                 ErrorKind::DeviceLost,
                 "The modem on %p was disconnected after taking part 1 of 2; it may have been sent",
                 1,
                 {}},
        FaultRow{"vanishes_after_second_part",
                 [](FakeModem& f) { f.SetVanishAfterPart(2); },
                 ErrorKind::DeviceLost,
                 "The modem on %p was disconnected after taking part 2 of 2; it may have been sent",
                 2,
                 {"17"}},
        FaultRow{"never_confirms",
                 [](FakeModem& f) { f.SetSilentAfterPart(1); },
                 ErrorKind::Unconfirmed,
                 "Part 1 of 2 was handed to the modem but not confirmed within 2 s; it may have been sent",
                 1,
                 {}}),
    [](const testing::TestParamInfo<FaultRow>& row) { return std::string(row.param.name); });

TEST(SerialFaults, ASilentModemIsAskedThreeTimes) {
    FakeModem fake;
    fake.SetSilent(true);
    ModemTransport transport(FastOptions({}));
    transport.Send(Request(fake.path(), "+8613800138000", "x"));
    EXPECT_EQ(fake.Commands(), (std::vector<std::string>{"AT", "AT", "AT"}));
}

TEST(SerialFaults, ASlowModemIsWaitedFor) {
    FakeModem fake;
    fake.SetAnswerDelayMs(200);  // below the 300 ms of the first "AT"
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", "(A55A#s)"));
    EXPECT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.references, std::vector<std::string>{"17"});
}

TEST(SerialFaults, AMissingPromptIsAbortedWithEscape) {
    FakeModem fake;
    fake.SetPromptMissing(true);
    ModemTransport transport(FastOptions({}));
    transport.Send(Request(fake.path(), "+8613800138000", "x"));
    EXPECT_EQ(fake.Escapes(), 1);
    EXPECT_EQ(CommandsStartingWith(fake, "AT+CMGS=").size(), 1U) << "the part is never tried again";
}

TEST(SerialFaults, AnUnknownDeviceIsNamed) {
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request("/dev/does-not-exist-modem", "+8613800138000", "x"));
    EXPECT_EQ(result.error.kind, ErrorKind::NoModem);
    EXPECT_EQ(RenderMessage(result.error.message).rfind("Cannot open /dev/does-not-exist-modem: ", 0), 0U)
        << RenderMessage(result.error.message);
}

// Cancel() from another thread while the modem keeps the part waiting for its prompt: the call
// returns at once, ESC cancels the part on the modem, nothing was sent and the port is free.
TEST(SerialCancel, WhileWaitingForThePromptSendsEscapeAndReleasesThePort) {
    FakeModem fake;
    fake.SetPromptMissing(true);
    TransportOptions options = FastOptions({});
    options.timeouts.promptMs = 20000;
    options.timeouts.partMs = 60000;
    std::vector<Progress> progress;
    options.onProgress = [&](const Progress& p) { progress.push_back(p); };
    ModemTransport transport(options);
    std::chrono::steady_clock::time_point cancelledAt;
    std::thread canceller([&] {
        while (CommandsStartingWith(fake, "AT+CMGS=").empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cancelledAt = std::chrono::steady_clock::now();
        transport.Cancel();
    });
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", "(A55A#s)"));
    const long long afterCancel = MillisecondsSince(cancelledAt);
    canceller.join();

    EXPECT_EQ(result.error.kind, ErrorKind::Cancelled);
    EXPECT_EQ(RenderMessage(result.error.message), "Cancelled");
    EXPECT_LT(afterCancel, 1500) << "the call must return promptly after Cancel()";
    EXPECT_EQ(fake.Escapes(), 1);
    EXPECT_TRUE(fake.Pdus().empty());
    EXPECT_EQ(CommandsStartingWith(fake, "AT+CMGS=").size(), 1U);
    EXPECT_FALSE(fake.SlaveOpenedByOthers());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().stage, Stage::Sending);
    EXPECT_EQ(progress.back().part, 1);
    // A cancelled transport stays cancelled, so a late call cannot send after all.
    EXPECT_EQ(transport.Send(Request(fake.path(), "+8613800138000", "x")).error.kind, ErrorKind::Cancelled);
    EXPECT_EQ(CommandsStartingWith(fake, "AT+CMGS=").size(), 1U);
}

TEST(SerialLog, RecordsEveryLineBothWaysWithThePdus) {
    FakeModem fake;
    std::vector<std::string> live;
    TransportOptions options = FastOptions({});
    options.onLog = [&](const LogEntry& entry) { live.push_back(FormatLogEntry(entry)); };
    ModemTransport transport(options);
    ASSERT_EQ(transport.Send(Request(fake.path(), "+8613800138000", "(A55A#s)")).error.kind, ErrorKind::None);
    const std::vector<LogEntry> log = transport.Log();
    ASSERT_EQ(log.size(), live.size());
    std::string text;
    for (const LogEntry& entry : log) {
        text += FormatLogEntry(entry) + "\n";
    }
    for (const std::string& expected :
         {std::string(">> AT<CR>\n"), std::string("<< OK\n"), std::string(">> AT+CPIN?<CR>\n"),
          std::string("<< +CPIN: READY\n"), std::string("<< > \n"),
          std::string(">> " + fake.Pdus().at(0) + "<Ctrl-Z>\n"), std::string("<< +CMGS: 17\n"),
          std::string("-- opened " + fake.path()), std::string("-- closed " + fake.path())}) {
        EXPECT_NE(text.find(expected), std::string::npos) << "missing: " << expected << "\nin:\n" << text;
    }
}

}  // namespace
}  // namespace modem
