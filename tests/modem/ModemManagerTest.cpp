// Sending and receiving through ModemManager, against a stand-in service on a private D-Bus.

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemManagerClient.h"
#include "modem/ModemTransport.h"
#include "tests/modem/MockModemManager.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::MillisecondsSince;
using modem_test::MockConfig;
using modem_test::MockModemManager;
using modem_test::PrivateBus;
using modem_test::Request;

constexpr const char* kDtu = "+8613800138000";

TransportOptions BusOptions(const PrivateBus& bus, std::vector<std::string> ports = {"/dev/no-such-modem"}) {
    TransportOptions options = FastOptions(std::move(ports));
    options.useModemManager = true;
    options.dbusAddress = bus.address();
    return options;
}

std::string LogText(const SmsTransport& transport) {
    std::string text;
    for (const LogEntry& entry : transport.Log()) {
        text += FormatLogEntry(entry) + "\n";
    }
    return text;
}

TEST(ModemManager, CreatesTheMessageAndSendsIt) {
    PrivateBus bus;
    MockModemManager mock(bus.address(), {});
    for (const std::string choice : {"mm", "auto", MockModemManager::kModemPath}) {
        ModemTransport transport(BusOptions(bus), ModemManagerService());
        const SendResult result = transport.Send(Request(choice, "+86 138 0013 8000", "(A55A#s)"));
        ASSERT_EQ(result.error.kind, ErrorKind::None)
            << choice << ": " << RenderMessage(result.error.message);
        EXPECT_EQ(result.modem, MockModemManager::kModemPath) << choice;
        ASSERT_EQ(result.references.size(), 1U) << choice;
        EXPECT_EQ(result.references[0].rfind("/org/freedesktop/ModemManager1/SMS/", 0), 0U)
            << result.references[0];
        EXPECT_NE(LogText(transport).find(">> D-Bus Messaging.Create /org/freedesktop/ModemManager1/Modem/0 "
                                          "{number: \"+8613800138000\", text: \"(A55A#s)\"}"),
                  std::string::npos)
            << LogText(transport);
    }
    const auto created = mock.Created();
    ASSERT_EQ(created.size(), 3U);
    EXPECT_EQ(created[0], (std::map<std::string, std::string>{{"number", kDtu}, {"text", "(A55A#s)"}}));
    EXPECT_EQ(mock.Sent(), 3);
}

TEST(ModemManager, PassesTheServiceCentreWhenGiven) {
    PrivateBus bus;
    MockModemManager mock(bus.address(), {});
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    const std::string text = "设置 (A55A#s)";
    ASSERT_EQ(transport.Send(Request("mm", kDtu, text, "+8613800100500")).error.kind, ErrorKind::None);
    ASSERT_EQ(mock.Created().size(), 1U);
    EXPECT_EQ(mock.Created()[0], (std::map<std::string, std::string>{
                                     {"number", kDtu}, {"smsc", "+8613800100500"}, {"text", text}}));
}

TEST(ModemManager, ReportsTheServicesRefusalInItsOwnWords) {
    PrivateBus bus;
    MockConfig config;
    config.sendErrorName = "org.freedesktop.ModemManager1.Error.MessageError.NetworkTimeout";
    config.sendErrorText = "Network timeout";
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    const SendResult result = transport.Send(Request("mm", kDtu, "x"));
    EXPECT_EQ(result.error.kind, ErrorKind::ServiceError);
    EXPECT_EQ(RenderMessage(result.error.message),
              "ModemManager could not send the message: Network timeout");
    EXPECT_TRUE(result.references.empty());
}

TEST(ModemManager, AModemWithoutMessagingIsNotReady) {
    PrivateBus bus;
    MockConfig config;
    config.canMessage = false;
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    const SendResult result = transport.Send(Request("mm", kDtu, "x"));
    EXPECT_EQ(result.error.kind, ErrorKind::NoModem);
    EXPECT_EQ(RenderMessage(result.error.message),
              "The modem Acme GSM 9 is not ready to send messages (SIM card locked or modem disabled)");
    // The automatic choice finds no serial port either and says why.
    EXPECT_EQ(RenderMessage(transport.Send(Request("auto", kDtu, "x")).error.message),
              RenderMessage(result.error.message));
    EXPECT_TRUE(mock.Created().empty());
}

TEST(ModemManager, NotRunningMeansTheSerialPortsForTheAutomaticChoice) {
    PrivateBus bus;  // no ModemManager on it
    FakeModem fake;
    ModemTransport transport(BusOptions(bus, {fake.path()}), ModemManagerService());
    const SendResult result = transport.Send(Request("auto", kDtu, "(A55A#s)"));
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.modem, fake.path());
    EXPECT_EQ(fake.Pdus().size(), 1U);
    EXPECT_EQ(RenderMessage(transport.Send(Request("mm", kDtu, "x")).error.message),
              "ModemManager is not running");
}

TEST(ModemManager, APortItHoldsIsReportedAndNeverOpened) {
    PrivateBus bus;
    FakeModem fake;
    MockConfig config;
    config.ports = {fake.path().substr(5)};  // "pts/N", as ModemManager names ports
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus, {fake.path()}), ModemManagerService());
    const SendResult result = transport.Send(Request(fake.path(), kDtu, "x"));
    EXPECT_EQ(result.error.kind, ErrorKind::ModemBusy);
    EXPECT_EQ(RenderMessage(result.error.message),
              fake.path() + " is held by ModemManager; choose the ModemManager modem");

    std::vector<std::string> listed;
    for (const ModemInfo& modem : transport.ListModems()) {
        listed.push_back(modem.id + " | " + modem.label + " | " + RenderMessage(modem.status));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "auto |  | ModemManager: Acme GSM 9",
                          std::string(MockModemManager::kModemPath) + " | Acme GSM 9 | ready",
                          fake.path() + " | " + fake.path() + " | held by ModemManager",
                      }));
    EXPECT_TRUE(fake.Commands().empty());
}

TEST(ModemManager, TheReplyComesThroughTheAddedSignal) {
    PrivateBus bus;
    MockConfig config;
    config.incoming = {{"+8613900139000", "someone else", 50, 0}, {"13800138000", "OK:IP SET", 150, 300}};
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    SendRequest request = Request("mm", kDtu, "(A55A#s)");
    request.replyTimeoutSeconds = 5;
    const SendResult result = transport.Send(request);
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message) << "\n"
                                                  << LogText(transport);
    EXPECT_EQ(result.reply, std::optional<std::string>("OK:IP SET"));
    const std::string log = LogText(transport);
    EXPECT_NE(log.find("from +8613900139000, not +8613800138000; left alone"), std::string::npos) << log;
}

TEST(ModemManager, WaitingEndsWhenTheTimeIsUp) {
    PrivateBus bus;
    MockConfig config;
    config.incoming = {{"+8613900139000", "someone else", 50, 0}};
    config.incomingWithoutSend = true;
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    const auto start = std::chrono::steady_clock::now();
    const ReplyResult result = transport.WaitForReply({"mm", kDtu, 1});
    EXPECT_EQ(result.error.kind, ErrorKind::NoReply);
    EXPECT_EQ(RenderMessage(result.error.message), "No reply from +8613800138000 within 1 s");
    EXPECT_LT(MillisecondsSince(start), 3000);
}

TEST(ModemManager, CancelWhileSendingReturnsPromptly) {
    PrivateBus bus;
    MockConfig config;
    config.sendDelayMs = 10000;
    MockModemManager mock(bus.address(), config);
    ModemTransport transport(BusOptions(bus), ModemManagerService());
    std::thread canceller([&] {
        while (mock.Created().empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        transport.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    const SendResult result = transport.Send(Request("mm", kDtu, "x"));
    canceller.join();
    EXPECT_EQ(result.error.kind, ErrorKind::Cancelled);
    EXPECT_EQ(RenderMessage(result.error.message),
              "Cancelled after part 1 of 1 was handed to the modem; it may have been sent");
    EXPECT_LT(MillisecondsSince(start), 3000);
}

}  // namespace
}  // namespace modem
