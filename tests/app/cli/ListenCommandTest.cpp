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

    // An address that is none is a bad option, named as such.
    const Outcome badAddress = testing::RunProgram({"listen", "--bind", "dtu.example", "--port", "6000"});
    EXPECT_EQ(badAddress.status, 2);
    EXPECT_EQ(badAddress.err,
              "dtusms: --bind: \"dtu.example\" is no numeric IPv4 or IPv6 address. See dtusms --help.\n");
}

}  // namespace
}  // namespace app
