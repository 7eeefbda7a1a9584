#include "net/ConnectionListener.h"

#include <chrono>
#include <ctime>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "net/SocketApi.h"
#include "tests/net/LoopbackPeers.h"

namespace net {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A client on 127.0.0.1 that closes its socket when it goes.
class Client {
public:
    explicit Client(int port) : fd_(StartSockets() ? ::socket(AF_INET, SOCK_STREAM, 0) : kNoSocket) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        sockaddr_in local{};
        SocketLength length = sizeof(local);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
        localPort_ = ntohs(local.sin_port);
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }
    int localPort() const { return localPort_; }
    void Send(const std::string& bytes) {
        ::send(fd_, bytes.data(), static_cast<int>(bytes.size()), kSendNoSignal);
    }
    void Close() { CloseSocket(fd_); }
    // Everything the listener sends until it closes: must stay empty.
    std::string ReceiveUntilClosed() {
        std::string received;
        char buffer[512];
        for (int n; (n = static_cast<int>(::recv(fd_, buffer, sizeof(buffer), 0))) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return received;
    }

private:
    SocketHandle fd_;
    bool connected_ = false;
    int localPort_ = 0;
};

struct Seen {
    ConnectionReport report;
    milliseconds after;  // since Run began
};

ListenOptions Loopback(milliseconds window, std::size_t count) {
    ListenOptions options;
    options.bindAddress = "127.0.0.1";
    options.firstWindow = window;
    options.maxConnections = count;
    options.timeout = milliseconds(20'000);  // only a safety net for a broken listener
    return options;
}

std::vector<Seen> RunListener(ConnectionListener& listener) {
    std::vector<Seen> seen;
    const auto start = Clock::now();
    listener.Run([&](const ConnectionReport& report) {
        seen.push_back({report, std::chrono::duration_cast<milliseconds>(Clock::now() - start)});
    });
    return seen;
}

TEST(ConnectionListenerTest, ShowsReceivedBytesAsTextOrHex) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string shown;
    };
    const Row rows[] = {
        {"registration text", "TQ-GP000001\r\n", "\"TQ-GP000001\\r\\n\""},
        {"quote and backslash", "a\"b\\c\td", "\"a\\\"b\\\\c\\td\""},
        {"nothing", "", "(nothing)"},
        {"binary", std::string("\x01\x02\xff\x00", 4), "hex 01 02 ff 00"},
        {"text with one control byte", "ab\x7f", "hex 61 62 7f"},
        {"UTF-8 is not ASCII", "\xc3\xa9", "hex c3 a9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.shown, FormatReceived(row.bytes));
    }
}

TEST(ConnectionListenerTest, LineHasLocalTimePeerAndBytes) {
    ConnectionReport report;
    report.peerAddress = "203.0.113.5";
    report.peerPort = 50122;
    report.received = "REG";
    std::tm local{};
    local.tm_year = 125;
    local.tm_mon = 0;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 3;
    local.tm_sec = 7;
    EXPECT_EQ("2025-01-05 14:03:07 203.0.113.5:50122 \"REG\"", FormatConnectionLine(report, local));
    report.peerAddress = "2001:db8::1";
    EXPECT_EQ("2025-01-05 14:03:07 [2001:db8::1]:50122 \"REG\"", FormatConnectionLine(report, local));
}

TEST(ConnectionListenerTest, TextBinaryAndSilentClientsEachGetOneLine) {
    ConnectionListener listener(Loopback(milliseconds(400), 3));
    const int port = listener.port();
    int textPort = 0;
    int binaryPort = 0;
    int silentPort = 0;
    std::string receivedBySilent = "not run";
    std::thread clients([&] {
        Client text(port);
        textPort = text.localPort();
        text.Send("TQ-GP000001 online\r\n");
        text.Close();  // closing reports it at once, long before its window is over
        std::this_thread::sleep_for(milliseconds(50));
        Client binary(port);
        binaryPort = binary.localPort();
        binary.Send(std::string("\x7e\x00\x01\xff", 4));
        std::this_thread::sleep_for(milliseconds(50));
        Client silent(port);
        silentPort = silent.localPort();
        receivedBySilent = silent.ReceiveUntilClosed();
        binary.Close();
    });
    const std::vector<Seen> seen = RunListener(listener);
    clients.join();

    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ("\"TQ-GP000001 online\\r\\n\"", FormatReceived(seen[0].report.received));
    EXPECT_EQ(textPort, seen[0].report.peerPort);
    EXPECT_LT(seen[0].after, milliseconds(300));
    EXPECT_EQ("hex 7e 00 01 ff", FormatReceived(seen[1].report.received));
    EXPECT_EQ(binaryPort, seen[1].report.peerPort);
    EXPECT_GE(seen[1].after, milliseconds(400));
    EXPECT_EQ("(nothing)", FormatReceived(seen[2].report.received));
    EXPECT_EQ(silentPort, seen[2].report.peerPort);
    EXPECT_GE(seen[2].after, milliseconds(450));
    for (const Seen& one : seen) {
        EXPECT_EQ("127.0.0.1", one.report.peerAddress);
    }
    // The listener closed the silent connection after its window without sending anything.
    EXPECT_EQ("", receivedBySilent);
}

TEST(ConnectionListenerTest, ConnectionsAreWatchedAtTheSameTime) {
    ConnectionListener listener(Loopback(milliseconds(600), 2));
    std::thread clients([port = listener.port()] {
        Client first(port);
        Client second(port);
        std::this_thread::sleep_for(milliseconds(100));
        second.Send("second");
        std::this_thread::sleep_for(milliseconds(100));
        first.Send("first");
        first.ReceiveUntilClosed();
        second.ReceiveUntilClosed();
    });
    const auto start = Clock::now();
    const std::vector<Seen> seen = RunListener(listener);
    const auto took = Clock::now() - start;
    clients.join();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("first", seen[0].report.received);
    EXPECT_EQ("second", seen[1].report.received);
    // One window for both, not one after the other.
    EXPECT_LT(took, milliseconds(1100));
}

TEST(ConnectionListenerTest, ReportsAtTheByteLimitAndKeepsTheConnectionForItsWindow) {
    ConnectionListener listener(Loopback(milliseconds(1500), 1));
    std::string back = "not run";
    milliseconds closedAfter{};
    std::thread client([&, port = listener.port()] {
        const auto start = Clock::now();
        Client talker(port);
        talker.Send(std::string(300, 'x'));
        talker.Send(std::string(5000, 'y'));
        back = talker.ReceiveUntilClosed();
        closedAfter = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    });
    const std::vector<Seen> seen = RunListener(listener);
    client.join();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(std::string(256, 'x'), seen[0].report.received);
    EXPECT_LT(seen[0].after, milliseconds(1000));
    // Closed in order (no reset, nothing sent) once the window was over.
    EXPECT_EQ("", back);
    EXPECT_GE(closedAfter, milliseconds(1400));
}

TEST(ConnectionListenerTest, EnoughBytesReportAndCloseAtOnceOthersWaitTheirWindow) {
    ListenOptions options = Loopback(milliseconds(1500), 2);
    options.enough = [](std::string_view received) {
        return received.find("TQ-1") != std::string_view::npos;
    };
    ConnectionListener listener(options);
    std::string back = "not run";
    milliseconds closedAfter{};
    std::thread clients([&, port = listener.port()] {
        Client other(port);
        other.Send("noise");
        const auto start = Clock::now();
        Client dtu(port);
        dtu.Send("REG:");
        std::this_thread::sleep_for(milliseconds(100));
        dtu.Send("TQ-1;");
        back = dtu.ReceiveUntilClosed();
        closedAfter = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        other.ReceiveUntilClosed();
    });
    const std::vector<Seen> seen = RunListener(listener);
    clients.join();
    ASSERT_EQ(2u, seen.size());
    // The second read completed the number: reported and closed long before the window's end.
    EXPECT_EQ("REG:TQ-1;", seen[0].report.received);
    EXPECT_LT(seen[0].after, milliseconds(1000));
    EXPECT_LT(closedAfter, milliseconds(1000));
    EXPECT_EQ("", back);
    EXPECT_EQ("noise", seen[1].report.received);
    EXPECT_GE(seen[1].after, milliseconds(1400));
}

TEST(ConnectionListenerTest, StopsAtTheCountTheTimeoutOrARequest) {
    {
        ConnectionListener listener(Loopback(milliseconds(100), 1));
        std::thread clients([port = listener.port()] {
            Client first(port);
            first.Send("one");
            first.Close();
            std::this_thread::sleep_for(milliseconds(300));
            // The count is reached: the port is closed now.
            Client late(port);
            EXPECT_FALSE(late.connected());
        });
        EXPECT_EQ(1u, RunListener(listener).size());
        clients.join();
    }
    {
        // The tick comes while nothing else happens.
        ListenOptions options = Loopback(milliseconds(5000), 0);
        options.timeout = milliseconds(300);
        int ticks = 0;
        options.tick = [&ticks] { ++ticks; };
        options.tickEvery = milliseconds(70);
        ConnectionListener listener(options);
        const auto start = Clock::now();
        EXPECT_EQ(0u, RunListener(listener).size());
        EXPECT_GE(Clock::now() - start, milliseconds(300));
        EXPECT_LT(Clock::now() - start, milliseconds(1000));
        EXPECT_GE(ticks, 3);
        EXPECT_LE(ticks, 5);
    }
    {
        // A stop reports the open connection at once with what it sent so far.
        ConnectionListener listener(Loopback(milliseconds(10'000), 0));
        std::thread clients([&listener] {
            Client waiting(listener.port());
            waiting.Send("half");
            std::this_thread::sleep_for(milliseconds(200));
            listener.RequestStop();
            waiting.ReceiveUntilClosed();
        });
        const auto start = Clock::now();
        const std::vector<Seen> seen = RunListener(listener);
        clients.join();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("half", seen[0].report.received);
        EXPECT_LT(Clock::now() - start, milliseconds(2000));
    }
}

TEST(ConnectionListenerTest, RefusesPortsInUseAndUnusableAddresses) {
    nettest::Listener busy;
    struct Row {
        std::string address;
        int port;
        std::string message;
    };
    const Row rows[] = {
        {"127.0.0.1", busy.port(),
         "port " + std::to_string(busy.port()) + " is already in use (another program is listening on it)"},
        {"127.0.0.1", 70000, "cannot listen on port 70000: TCP ports go from 1 to 65535"},
        {"127.0.0.1", -1, "cannot listen on port -1: TCP ports go from 1 to 65535"},
        {"localhost", 0, "cannot listen on \"localhost\": it is no numeric IPv4 or IPv6 address"},
        {"192.0.2.1", 0, "cannot listen on 192.0.2.1: it is not an address of this computer"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        ListenOptions options;
        options.bindAddress = row.address;
        options.port = row.port;
        try {
            ConnectionListener listener(options);
            ADD_FAILURE() << "no error";
        } catch (const ListenError& error) {
            EXPECT_EQ(row.message, std::string(error.what()));
        }
    }
}

}  // namespace
}  // namespace net
