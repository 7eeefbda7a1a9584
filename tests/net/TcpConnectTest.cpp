#include "net/TcpConnect.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "tests/net/LoopbackPeers.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

TEST(TcpConnectTest, ConnectsToAListenerAndReportsARefusalAtOnce) {
    nettest::Listener listener;
    EXPECT_TRUE(net::TestTcpConnect("127.0.0.1", listener.port()));

    const auto start = Clock::now();
    EXPECT_FALSE(net::TestTcpConnect("127.0.0.1", nettest::RefusedPort()));
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
}

TEST(TcpConnectTest, UnusableAddressOrPortFailsWithoutAnAttempt) {
    nettest::Listener listener;
    struct Row {
        std::string address;
        int port;
    };
    const Row rows[] = {
        {"", listener.port()},
        {"localhost", listener.port()},
        {" 127.0.0.1", listener.port()},
        {"127.0.0.1 ", listener.port()},
        {"127.1", listener.port()},
        {"127.0.0.256", listener.port()},
        {std::string("127.0.0.1\0x", 11), listener.port()},
        {"127.0.0.1", 0},
        {"127.0.0.1", -1},
        {"127.0.0.1", listener.port() + 65536},
        {"127.0.0.1", 99999},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address + " port " + std::to_string(row.port));
        int pumps = 0;
        EXPECT_FALSE(net::TestTcpConnect(row.address, row.port, [&] { return ++pumps > 0; }));
        EXPECT_EQ(1, pumps);
    }
}

TEST(TcpConnectTest, UnansweredAttemptPumpsWhileWaitingAndGivesUpAtTheTimeout) {
    // With a zero backlog and one connection waiting to be accepted, further attempts get no answer.
    nettest::Listener listener(0, true);
    int pumps = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(net::TestTcpConnect(
        "127.0.0.1", listener.port(), [&] { return ++pumps > 0; }, milliseconds(600)));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(550));
    EXPECT_LT(elapsed, milliseconds(1500));
    // Once after the socket is created, then after every slice of at most 100 ms.
    EXPECT_GE(pumps, 6);
}

TEST(TcpConnectTest, PumpThatAsksToStopAbandonsTheAttempt) {
    nettest::Listener listener(0, true);
    int pumps = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(net::TestTcpConnect(
        "127.0.0.1", listener.port(), [&] { return ++pumps < 3; }, milliseconds(5000)));
    EXPECT_EQ(3, pumps);
    EXPECT_LT(Clock::now() - start, milliseconds(1000));

    nettest::Listener open;
    EXPECT_FALSE(net::TestTcpConnect("127.0.0.1", open.port(), [] { return false; }));
}

}  // namespace
