// The automatic choice among serial ports and the modem list.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemTransport.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::CommandsStartingWith;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::Request;

TEST(SerialProbe, ListsEachPortWithItsState) {
    FakeModem locked;
    locked.SetPinState("SIM PIN");
    FakeModem ready;
    FakeModem silent;
    silent.SetSilent(true);
    ModemTransport transport(FastOptions({locked.path(), ready.path(), silent.path(), "/dev/no-such-modem"}));
    const std::vector<ModemInfo> modems = transport.ListModems();
    std::vector<std::string> listed;
    for (const ModemInfo& modem : modems) {
        listed.push_back(modem.id + " " + (modem.usable ? "usable " : "unusable ") +
                         RenderMessage(modem.status));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "auto usable serial port " + ready.path(),
                          locked.path() + " unusable the SIM card needs its PIN",
                          ready.path() + " usable ready",
                          silent.path() + " unusable no answer",
                          "/dev/no-such-modem unusable no answer",
                      }));
    // Listing changes nothing on the modem: no mode is set, nothing is sent.
    EXPECT_TRUE(CommandsStartingWith(ready, "AT+CMGF").empty());
    EXPECT_FALSE(ready.SlaveOpenedByOthers());
}

TEST(SerialProbe, AutomaticChoiceTakesTheFirstPortThatAnswersWithAReadySim) {
    FakeModem silent;
    silent.SetSilent(true);
    FakeModem locked;
    locked.SetPinState("SIM PIN");
    FakeModem ready;
    FakeModem second;
    ModemTransport transport(FastOptions({silent.path(), locked.path(), ready.path(), second.path()}));
    const SendResult result = transport.Send(Request("auto", "+8613800138000", "(A55A#s)"));
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.modem, ready.path());
    EXPECT_EQ(silent.Commands(), std::vector<std::string>{"AT"}) << "a candidate gets one short try";
    EXPECT_TRUE(CommandsStartingWith(locked, "AT+CMGS").empty());
    EXPECT_EQ(ready.Pdus().size(), 1U);
    EXPECT_TRUE(second.Commands().empty());
}

TEST(SerialProbe, WithoutAUsablePortTheMostTellingReasonIsGiven) {
    FakeModem silent;
    silent.SetSilent(true);
    FakeModem locked;
    locked.SetPinState("SIM PIN");
    {
        ModemTransport transport(FastOptions({silent.path(), locked.path()}));
        const SendResult result = transport.Send(Request("auto", "+8613800138000", "x"));
        EXPECT_EQ(result.error.kind, ErrorKind::SimPin);
        EXPECT_EQ(RenderMessage(result.error.message), "The SIM card needs its PIN");
    }
    // The message names ModemManager only where the system has such a service (Linux), even
    // when it is not asked (as here).
    const ModemServiceFactory linuxService = [](Context&) { return std::unique_ptr<ModemService>(); };
    const struct {
        ModemServiceFactory service;
        std::string message;
    } rows[] = {
        {linuxService,
         "No modem found: ModemManager manages none and no serial port answers with a ready SIM card"},
        {{}, "No modem found: no serial port answers with a ready SIM card"},
    };
    for (const auto& row : rows) {
        ModemTransport transport(FastOptions({silent.path(), "/dev/no-such-modem"}), row.service);
        const SendResult result = transport.Send(Request("", "+8613800138000", "x"));
        EXPECT_EQ(result.error.kind, ErrorKind::NoModem);
        EXPECT_EQ(RenderMessage(result.error.message), row.message);
    }
}

}  // namespace
}  // namespace modem
