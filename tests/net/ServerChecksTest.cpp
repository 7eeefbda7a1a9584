#include "net/ServerChecks.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/net/FakeResolver.h"
#include "tests/net/LoopbackPeers.h"

namespace {

using Events = std::vector<std::string>;

std::string Marked(const std::string& text) {
    return "T(" + text + ")";
}

std::string Outcome(bool connected, const std::string& address, int port) {
    return "T(With IP =" + address + ", port =" + std::to_string(port) + " of server connection is " +
           (connected ? "successful!)" : "failed!)");
}

std::string Status(const std::string& address, int port) {
    return "T(Are experimenting with IP =" + address + ", port =" + std::to_string(port) +
           " of server connection...)";
}

TEST(ServerPortTest, ValidatesResolvesAndReportsTheAddressAsEntered) {
    nettest::Listener listener;
    const int open = listener.port();
    const int refused = nettest::RefusedPort();
    nettest::FakeResolver resolver;
    resolver.entries = {
        {"127.0.0.1", {"127.0.0.1"}},
        {" 127.0.0.1 ", {"127.0.0.1"}},
        {"server.example", {"127.0.0.1"}},
        {"last-listens.example", {"127.0.0.2", "127.0.0.1"}},
        {"first-listens.example", {"127.0.0.1", "127.0.0.2"}},
    };

    struct Row {
        const char* what;
        net::ServerTarget target;
        std::optional<std::string> missingField;
        std::string status;  // empty: no status text was set
        std::string outcome;
    };
    const Row rows[] = {
        {"blank static IP", {0, " \t ", "server.example", open}, "Static IP", "", ""},
        {"blank domain", {1, "127.0.0.1", "", open}, "Domain address", "", ""},
        {"static IP connects",
         {0, "127.0.0.1", "", open},
         {},
         Status("127.0.0.1", open),
         Outcome(true, "127.0.0.1", open)},
        {"spaces are kept for resolver and texts",
         {0, " 127.0.0.1 ", "", open},
         {},
         Status(" 127.0.0.1 ", open),
         Outcome(true, " 127.0.0.1 ", open)},
        {"refused port",
         {0, "127.0.0.1", "", refused},
         {},
         Status("127.0.0.1", refused),
         Outcome(false, "127.0.0.1", refused)},
        {"host name in static IP field is resolved",
         {0, "server.example", "", open},
         {},
         Status("server.example", open),
         Outcome(true, "server.example", open)},
        {"domain names as typed",
         {1, "", "server.example", open},
         {},
         Status("server.example", open),
         Outcome(true, "server.example", open)},
        {"last of several addresses counts",
         {1, "", "last-listens.example", open},
         {},
         Status("last-listens.example", open),
         Outcome(true, "last-listens.example", open)},
        {"first of several does not count",
         {1, "", "first-listens.example", open},
         {},
         Status("first-listens.example", open),
         Outcome(false, "first-listens.example", open)},
        {"unresolvable domain",
         {1, "", "missing.example", open},
         {},
         Status("missing.example", open),
         Outcome(false, "missing.example", open)},
        {"port beyond 16 bits is not wrapped",
         {0, "127.0.0.1", "", open + 65536},
         {},
         Status("127.0.0.1", open + 65536),
         Outcome(false, "127.0.0.1", open + 65536)},
        {"no mode: no check, empty address", {-1, "", "", open}, {}, "", Outcome(false, "", open)},
        {"unknown mode", {7, "127.0.0.1", "server.example", open}, {}, "", Outcome(false, "", open)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string status;
        const net::PortTestResult result = net::RunServerPortTest(
            row.target, Marked, [&](const std::string& text) { status = text; }, {}, resolver);
        EXPECT_EQ(row.missingField, result.missingField);
        EXPECT_EQ(row.status, status);
        EXPECT_EQ(row.outcome, result.outcomeText);
        EXPECT_EQ(row.outcome.find("successful") != std::string::npos, result.connected);
        EXPECT_FALSE(result.abandoned);
    }
}

// A failure says why, translated, after the outcome text; a success and a test without a mode say
// nothing more.
TEST(ServerPortTest, AFailureSaysWhy) {
    nettest::Listener open;
    nettest::Listener full(0, true);  // answers no further connection
    nettest::FakeResolver resolver;
    resolver.entries = {{"server.example", {"127.0.0.1"}}, {"127.0.0.1", {"127.0.0.1"}}};
    struct Row {
        const char* what;
        net::ServerTarget target;
        net::ConnectFailure failure;
        std::string reason;
    };
    const Row rows[] = {
        {"connected", {0, "127.0.0.1", "", open.port()}, net::ConnectFailure::None, ""},
        {"refused",
         {0, "127.0.0.1", "", nettest::RefusedPort()},
         net::ConnectFailure::Refused,
         "T(Connection refused.)"},
        {"name not found",
         {1, "", "missing.example", open.port()},
         net::ConnectFailure::NoAddress,
         "T(No such host.)"},
        {"port above 16 bits",
         {1, "", "server.example", 65536},
         net::ConnectFailure::PortOutOfRange,
         "T(Port outside 1\u201365535.)"},
        {"port 0 before an unknown name",
         {1, "", "missing.example", 0},
         net::ConnectFailure::PortOutOfRange,
         "T(Port outside 1\u201365535.)"},
        {"no answer",
         {0, "127.0.0.1", "", full.port()},
         net::ConnectFailure::TimedOut,
         "T(Timed out after 1 s.)"},
        {"no mode: nothing to look up", {-1, "", "", open.port()}, net::ConnectFailure::NoAddress, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const net::PortTestResult result = net::RunServerPortTest(
            row.target, Marked, [](const std::string&) {}, {}, resolver, std::chrono::milliseconds(300));
        EXPECT_EQ(row.failure, result.failure);
        EXPECT_EQ(row.reason, result.reason);
        EXPECT_EQ(row.reason.empty() ? result.outcomeText : result.outcomeText + " " + row.reason,
                  net::OutcomeWithReason(result));
    }
}

TEST(ServerPortTest, BlankFieldTouchesNothingAndTheOrderOfStepsHolds) {
    nettest::Listener listener;
    nettest::FakeResolver resolver;
    resolver.entries = {{"server.example", {"127.0.0.1"}}};
    Events events;
    const net::EventPump pump = [&] {
        events.push_back("pump");
        return true;
    };
    const auto setStatus = [&](const std::string&) { events.push_back("status"); };

    net::RunServerPortTest({1, "", "  ", listener.port()}, Marked, setStatus, pump, resolver);
    EXPECT_EQ(Events{}, events);
    EXPECT_EQ(std::vector<std::string>{}, resolver.resolved);

    const net::PortTestResult result =
        net::RunServerPortTest({1, "", "server.example", listener.port()}, Marked, setStatus, pump, resolver);
    EXPECT_TRUE(result.connected);
    // Status, a pump to paint it, the resolver's own pump, the connect's pump after socket creation.
    EXPECT_EQ((Events{"status", "pump", "pump", "pump"}), events);
    EXPECT_EQ(std::vector<std::string>{"server.example"}, resolver.resolved);
}

TEST(ServerPortTest, PumpThatAsksToStopAbandonsAtEachPoint) {
    nettest::Listener listener;
    nettest::FakeResolver resolver;
    resolver.entries = {{"server.example", {"127.0.0.1"}}};
    for (int stopAt = 1; stopAt <= 3; ++stopAt) {
        SCOPED_TRACE(stopAt);
        int pumps = 0;
        const net::PortTestResult result = net::RunServerPortTest(
            {0, "server.example", "", listener.port()}, Marked, {}, [&] { return ++pumps < stopAt; },
            resolver);
        EXPECT_TRUE(result.abandoned);
        EXPECT_FALSE(result.connected);
        EXPECT_EQ("", result.outcomeText);
        EXPECT_EQ(stopAt, pumps);
    }
}

TEST(ServerPortTest, TranslationWithoutOrWithForeignPlaceholdersIsFilledSafely) {
    nettest::Listener listener;
    const auto translate = [](const std::string& text) -> std::string {
        if (text.find("successful") != std::string::npos) {
            return "%n%x connected %d/%s %s";
        }
        return "no placeholders";
    };
    std::string status;
    const net::PortTestResult result = net::RunServerPortTest(
        {0, "127.0.0.1", "", listener.port()}, translate, [&](const std::string& text) { status = text; });
    EXPECT_EQ("no placeholders", status);
    EXPECT_EQ("%n%x connected " + std::to_string(listener.port()) + "/127.0.0.1 %s", result.outcomeText);

    // No translator at all leaves the English texts.
    const net::PortTestResult english = net::RunServerPortTest({-1, "", "", 1000}, {}, {});
    EXPECT_EQ("With IP =, port =1000 of server connection is failed!", english.outcomeText);
}

TEST(PortMappingTest, ComparesTheServerAddressWithTheFirstLocalAddress) {
    nettest::FakeResolver resolver;
    resolver.hostName = "ws";
    resolver.entries = {
        {"ws", {"192.168.1.20", "203.0.113.5"}},
        {"same.example", {"10.0.0.1", "192.168.1.20"}},
        {"first-same.example", {"192.168.1.20", "10.0.0.1"}},
        {"192.168.1.20", {"192.168.1.20"}},
    };
    const std::string equal =
        Marked("The local IP network segment with the WAN IP is identical, users do not need port mapping.");
    const std::string unequal = Marked(
        "The local IP network segment with the WAN IP is different, you need to do port mapping in router.");

    struct Row {
        const char* what;
        net::ServerTarget target;
        std::optional<std::string> missingField;
        std::string verdict;
    };
    const Row rows[] = {
        {"static IP equals first local address", {0, "192.168.1.20", "", 6000}, {}, equal},
        {"space before it", {0, " 192.168.1.20", "", 6000}, {}, unequal},
        {"second local address does not count", {0, "203.0.113.5", "", 6000}, {}, unequal},
        {"host name in static IP is not resolved", {0, "ws", "", 6000}, {}, unequal},
        {"blank static IP", {0, "\t \n", "", 6000}, "Static IP", ""},
        {"domain's last address equals", {1, "", "same.example", 6000}, {}, equal},
        {"domain's first address does not count", {1, "", "first-same.example", 6000}, {}, unequal},
        {"domain given as dotted text", {1, "", "192.168.1.20", 6000}, {}, equal},
        {"unresolvable domain", {1, "", "missing.example", 6000}, {}, unequal},
        {"blank domain", {1, "192.168.1.20", " ", 6000}, "Domain address", ""},
        {"no mode", {-1, "192.168.1.20", "same.example", 6000}, {}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const net::MappingResult result = net::JudgePortMapping(row.target, Marked, {}, resolver);
        EXPECT_EQ(row.missingField, result.missingField);
        EXPECT_EQ(row.verdict, result.verdictText);
        EXPECT_FALSE(result.abandoned);
    }

    resolver.resolved.clear();
    net::JudgePortMapping({5, "192.168.1.20", "same.example", 6000}, Marked, {}, resolver);
    net::JudgePortMapping({1, "", "  ", 6000}, Marked, {}, resolver);
    EXPECT_EQ(std::vector<std::string>{}, resolver.resolved);
}

TEST(PortMappingTest, NothingFoundOnEitherSideIsEqualAndAStopIsAbandoned) {
    nettest::FakeResolver resolver;
    resolver.hostName = "ws";
    const net::MappingResult bothEmpty =
        net::JudgePortMapping({1, "", "missing.example", 6000}, {}, {}, resolver);
    EXPECT_EQ("The local IP network segment with the WAN IP is identical, users do not need port mapping.",
              bothEmpty.verdictText);

    resolver.entries = {{"ws", {"10.0.0.1"}}, {"same.example", {"10.0.0.1"}}};
    const net::MappingResult stopped = net::JudgePortMapping(
        {1, "", "same.example", 6000}, Marked, [] { return false; }, resolver);
    EXPECT_TRUE(stopped.abandoned);
    EXPECT_EQ("", stopped.verdictText);
}

}  // namespace
