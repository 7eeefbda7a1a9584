// The serial seam on a pseudo-terminal of the test's own: bytes both ways, reads that end at their
// time-out, a port that another user holds, a device that vanishes; and two modems driven at once
// from threads of their own, as a pool of modems runs them.

#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "modem/ModemTransport.h"
#include "modem/SerialPort.h"
#include "tests/modem/SerialTestSupport.h"

namespace modem {
namespace {

using modem_test::DecodedParts;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::MillisecondsSince;
using modem_test::Request;

// A pseudo-terminal whose slave side is the port under test and whose master side the test drives.
class Terminal final {
public:
    Terminal() {
        char name[256] = {};
        int slave = -1;
        if (openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            path_ = name;
            close(slave);
        }
    }
    ~Terminal() { CloseMaster(); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    const std::string& path() const { return path_; }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string Receive() const {
        std::string bytes(256, '\0');
        const ssize_t count = read(master_, bytes.data(), bytes.size());
        bytes.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
        return bytes;
    }
    void CloseMaster() {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    std::string path_;
};

TEST(SerialPort, CarriesRawBytesBothWaysAndReadsEndAtTheirTimeOut) {
    Terminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    SerialPort port;
    SerialOpenError error;
    ASSERT_TRUE(port.Open(terminal.path(), 115200, &error)) << error.reason;

    std::string reason;
    // Ctrl-Z and ESC end a PDU and abort one: a port in a cooked mode would swallow or translate
    // them, and CR would turn into LF.
    const std::string command = "AT+CMGS=17\r0011\x1A\x1B";
    ASSERT_TRUE(port.Write(command, 1000, &reason)) << reason;
    std::string received;
    while (received.size() < command.size()) {
        const std::string chunk = terminal.Receive();
        ASSERT_FALSE(chunk.empty());
        received += chunk;
    }
    EXPECT_EQ(received, command);

    terminal.Send("\r\n> \x80\r\nOK\r\n");
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (bytes.size() < 11 && std::chrono::steady_clock::now() < deadline) {
        ASSERT_NE(port.Read(bytes, 200, &reason), SerialRead::Lost) << reason;
    }
    EXPECT_EQ(bytes, "\r\n> \x80\r\nOK\r\n");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(bytes, 150, &reason), SerialRead::Timeout);
    const long long waited = MillisecondsSince(start);
    EXPECT_GE(waited, 140);
    EXPECT_LT(waited, 2000);

    terminal.CloseMaster();
    EXPECT_EQ(port.Read(bytes, 1000, &reason), SerialRead::Lost);
    EXPECT_FALSE(reason.empty());
}

TEST(SerialPort, OpenFailuresSayWhyAndWhetherAnotherProgramHasThePort) {
    Terminal terminal;
    SerialPort holder;
    SerialOpenError error;
    ASSERT_TRUE(holder.Open(terminal.path(), 115200, &error)) << error.reason;

    const struct {
        const char* name;
        std::string path;
        int baudRate;
        bool busy;
    } rows[] = {
        {"held", terminal.path(), 115200, true},
        {"missing", "/dev/ttyUSB-none-such", 115200, false},
        {"not a terminal", "/dev/null", 115200, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SerialPort port;
        SerialOpenError failure;
        EXPECT_FALSE(port.Open(row.path, row.baudRate, &failure));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(failure.busy, row.busy);
        EXPECT_FALSE(failure.reason.empty());
    }

    holder.Close();
    SerialPort next;
    EXPECT_TRUE(next.Open(terminal.path(), 9600, &error)) << "a closed port is free again: " << error.reason;
}

TEST(SerialPort, APortInUseByAnotherTransportIsReportedBusy) {
    FakeModem fake;
    SerialPort holder;
    SerialOpenError error;
    ASSERT_TRUE(holder.Open(fake.path(), 115200, &error)) << error.reason;
    ModemTransport transport(FastOptions({}));
    const SendResult result = transport.Send(Request(fake.path(), "+8613800138000", "hello"));
    EXPECT_EQ(static_cast<int>(result.error.kind), static_cast<int>(ErrorKind::ModemBusy));
    EXPECT_TRUE(fake.Pdus().empty());
}

TEST(SerialPort, TwoModemsSendAtOnceEachFromItsOwnThread) {
    FakeModem first;
    FakeModem second;
    first.SetAnswerDelayMs(30);
    second.SetAnswerDelayMs(30);
    const auto sendThrough = [](const FakeModem& fake, const std::string& text, SendResult* result) {
        ModemTransport transport(FastOptions({}));
        *result = transport.Send(Request(fake.path(), "+8613800138000", text));
    };
    SendResult firstResult;
    SendResult secondResult;
    std::thread one(sendThrough, std::cref(first), std::string(200, 'a'), &firstResult);
    std::thread two(sendThrough, std::cref(second), std::string(200, 'b'), &secondResult);
    one.join();
    two.join();

    EXPECT_EQ(static_cast<int>(firstResult.error.kind), static_cast<int>(ErrorKind::None));
    EXPECT_EQ(static_cast<int>(secondResult.error.kind), static_cast<int>(ErrorKind::None));
    EXPECT_EQ(firstResult.references.size(), 2U);
    EXPECT_EQ(secondResult.references.size(), 2U);
    for (const auto& [fake, letter] : {std::pair<const FakeModem*, char>{&first, 'a'}, {&second, 'b'}}) {
        std::string text;
        for (const sms::SubmitPdu& part : DecodedParts(*fake)) {
            text += part.userData.text;
        }
        EXPECT_EQ(text, std::string(200, letter));
    }
}

}  // namespace
}  // namespace modem
