// dtusms listen end to end, with clients on 127.0.0.1 only.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/app/cli/ProgramRunner.h"
#include "tests/net/LoopbackPeers.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using testing::Outcome;
using testing::RunningProgram;

// A connection to 127.0.0.1:port, or -1 while nothing listens there.
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Connects once the program listens (it takes a moment to start); -1 after 20 s.
int ConnectWhenListening(int port) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        if (const int fd = Connect(port); fd >= 0) {
            return fd;
        }
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(20)) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void SendAndClose(int fd, const std::string& bytes) {
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// What each line says the peer sent, in order; every line must have the documented form.
std::vector<std::string> ReceivedParts(const std::string& out) {
    static const std::regex kLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d 127\.0\.0\.1:\d+ (.*))");
    std::vector<std::string> parts;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, kLine)) {
            ADD_FAILURE() << "not a connection line: " << line;
            continue;
        }
        parts.push_back(match[1]);
    }
    return parts;
}

TEST(ListenCommandTest, OneLinePerConnectionTextBinaryNothingAndTwoAtOnce) {
    const int port = nettest::RefusedPort();
    RunningProgram program(
        {"listen", "--bind", "127.0.0.1", "--port", std::to_string(port), "--count", "5", "--timeout", "60"});
    const int text = ConnectWhenListening(port);
    ASSERT_GE(text, 0);
    SendAndClose(text, "REG TQ-GP000001\r\n");
    SendAndClose(Connect(port), std::string("\x01\x02\xff\x00", 4));
    ::close(Connect(port));
    const int first = Connect(port);
    const int second = Connect(port);
    SendAndClose(second, "B \"quoted\"");
    SendAndClose(first, "A");

    const Outcome outcome = program.Wait();
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    std::vector<std::string> parts = ReceivedParts(outcome.out);
    std::sort(parts.begin(), parts.end());
    EXPECT_EQ(parts, (std::vector<std::string>{"\"A\"", "\"B \\\"quoted\\\"\"", "\"REG TQ-GP000001\\r\\n\"",
                                               "(nothing)", "hex 01 02 ff 00"}));
}

TEST(ListenCommandTest, CtrlCStopsOnTheSettingsFilesPort) {
    const sms::testing::TempDir dir;
    const int port = nettest::RefusedPort();
    sms::testing::WriteBytes(dir.File("GPRSInfo.ini"), "[Main]\r\nPort=" + std::to_string(port) + "\r\n");
    RunningProgram program({"listen", "--settings", dir.File("GPRSInfo.ini"), "--bind", "127.0.0.1"});
    const int fd = ConnectWhenListening(port);
    ASSERT_GE(fd, 0);
    SendAndClose(fd, "hello");
    // The line is printed as the connection is reported, before the program is stopped.
    const auto started = std::chrono::steady_clock::now();
    while (program.OutputSoFar().empty() &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(20)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    program.Signal(SIGINT);
    const Outcome outcome = program.Wait();
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReceivedParts(outcome.out), std::vector<std::string>{"\"hello\""});
}

TEST(ListenCommandTest, NoConnectionOrAPortInUseExitsWithOne) {
    const int port = nettest::RefusedPort();
    const auto started = std::chrono::steady_clock::now();
    const Outcome quiet = testing::RunProgram(
        {"listen", "--bind", "127.0.0.1", "--port", std::to_string(port), "--timeout", "1"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "No connection came to port " + std::to_string(port) + ".\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));

    const nettest::Listener taken;
    const Outcome busy =
        testing::RunProgram({"listen", "--bind", "127.0.0.1", "--port", std::to_string(taken.port())});
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(busy.out, "");
    EXPECT_EQ(busy.err, "port " + std::to_string(taken.port()) +
                            " is already in use (another program is listening on it)\n");
    // The same in the chosen language, also where the board of a fleet listens.
    const sms::testing::TempDir dir;
    sms::testing::WriteBytes(dir.File("sent.csv"), "dtu\r\nTQ-GP000001\r\n");
    const struct {
        std::vector<std::string> extra;
        std::string err;
    } languages[] = {
        {{"--lang", "zh_TW"},
         "端口 " + std::to_string(taken.port()) + " 已被佔用（另一個程式正在該端口上監聽）\n"},
        {{"--lang", "zh_CN", "--fleet", dir.File("sent.csv")},
         "端口 " + std::to_string(taken.port()) + " 已被占用（另一个程序正在该端口上监听）\n"},
    };
    for (const auto& row : languages) {
        std::vector<std::string> args{"listen", "--bind", "127.0.0.1", "--port",
                                      std::to_string(taken.port())};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        const Outcome chinese = testing::RunProgram(args);
        EXPECT_EQ(chinese.status, 1);
        EXPECT_EQ(chinese.err, row.err);
    }

    // An address that is none is a bad option, named as such.
    const Outcome badAddress = testing::RunProgram({"listen", "--bind", "dtu.example", "--port", "6000"});
    EXPECT_EQ(badAddress.status, 2);
    EXPECT_EQ(badAddress.err,
              "dtusms: --bind: \"dtu.example\" is no numeric IPv4 or IPv6 address. See dtusms --help.\n");
}

// A fleet of two DTUs; the first row's number appears twice, the third row has none.
std::string WriteFleet(const sms::testing::TempDir& dir) {
    sms::testing::WriteBytes(dir.File("sent.csv"), "dtu,phone\r\nTQ-GP000001,1\r\nTQ-GP000002,2\r\n,3\r\n");
    return dir.File("sent.csv");
}

// The DTU numbers of board lines, in order; every line must have the documented form.
std::vector<std::string> ArrivedDtus(const std::string& out) {
    static const std::regex kLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d 127\.0\.0\.1:\d+ (.*))");
    std::vector<std::string> dtus;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        EXPECT_TRUE(std::regex_match(line, match, kLine)) << line;
        dtus.push_back(match[1]);
    }
    return dtus;
}

// The board file without its first_seen cells, which hold the time.
std::string BoardWithoutTimes(const std::string& path) {
    static const std::regex kTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    return std::regex_replace(sms::testing::ReadBytes(path), kTime, "T");
}

TEST(ListenCommandTest, FleetBoardEndsWhenEveryDtuCameWhateverElseConnects) {
    const sms::testing::TempDir dir;
    const int port = nettest::RefusedPort();
    RunningProgram program({"listen", "--bind", "127.0.0.1", "--port", std::to_string(port), "--fleet",
                            WriteFleet(dir), "--output", dir.File("board.csv"), "--timeout", "60"});
    const int silent = ConnectWhenListening(port);
    ASSERT_GE(silent, 0);
    SendAndClose(Connect(port), std::string("\x01\x02\xff garbage", 12));
    SendAndClose(Connect(port), std::string(1 << 20, 'x'));
    SendAndClose(Connect(port), "REG TQ-GP000002\r\n");
    SendAndClose(Connect(port), std::string("\x7e\x00TQ-GP000001\x00", 14));

    // Ends at once when the last DTU came, although a peer still holds its connection.
    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome = program.Wait();
    ::close(silent);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ArrivedDtus(outcome.out), (std::vector<std::string>{"TQ-GP000002", "TQ-GP000001"}));
    EXPECT_EQ(outcome.err, "2 of 2 DTUs online, 0 missing\n");
    EXPECT_EQ(BoardWithoutTimes(dir.File("board.csv")),
              "dtu,phone,online,first_seen,peer\r\n"
              "TQ-GP000001,1,yes,T,127.0.0.1\r\n"
              "TQ-GP000002,2,yes,T,127.0.0.1\r\n"
              ",3,,,\r\n");
}

TEST(ListenCommandTest, CtrlCWritesTheBoardAndExitsWithOneWhileDtusAreMissing) {
    const sms::testing::TempDir dir;
    const int port = nettest::RefusedPort();
    RunningProgram program({"listen", "--bind", "127.0.0.1", "--port", std::to_string(port), "--fleet",
                            WriteFleet(dir), "--output", dir.File("board.csv")});
    const int fd = ConnectWhenListening(port);
    ASSERT_GE(fd, 0);
    SendAndClose(fd, "TQ-GP000002");
    const auto started = std::chrono::steady_clock::now();
    while (program.OutputSoFar().empty() &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(20)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    program.Signal(SIGINT);
    const Outcome outcome = program.Wait();
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(ArrivedDtus(outcome.out), std::vector<std::string>{"TQ-GP000002"});
    EXPECT_EQ(outcome.err, "1 of 2 DTUs online, 1 missing\nMissing: TQ-GP000001\n");
    EXPECT_EQ(BoardWithoutTimes(dir.File("board.csv")),
              "dtu,phone,online,first_seen,peer\r\n"
              "TQ-GP000001,1,no,,\r\n"
              "TQ-GP000002,2,yes,T,127.0.0.1\r\n"
              ",3,,,\r\n");

    // Run again on that board, it waits for the missing DTU only.
    const int next = nettest::RefusedPort();
    RunningProgram again({"listen", "--bind", "127.0.0.1", "--port", std::to_string(next), "--fleet",
                          dir.File("board.csv"), "--timeout", "60"});
    const int late = ConnectWhenListening(next);
    ASSERT_GE(late, 0);
    SendAndClose(late, "TQ-GP000001");
    const Outcome rest = again.Wait();
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(ArrivedDtus(rest.out), std::vector<std::string>{"TQ-GP000001"});
}

}  // namespace
}  // namespace app
