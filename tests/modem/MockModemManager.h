#pragma once

// A private D-Bus daemon and, on it, a small stand-in for ModemManager written with QtDBus: the
// object manager, one modem's Messaging interface (Create, the Added signal) and SMS objects (Send,
// the State/Number/Text/MessageReference properties). It runs in a thread of its own, so it answers
// while the code under test blocks in its own event loop.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/types.h>

class QThread;

namespace modem_test {

// `dbus-daemon --session --nofork --print-address` started for one test and stopped at its end.
class PrivateBus final {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

struct IncomingMessage {
    std::string number;
    std::string text;
    int delayMs = 50;     // after the Send that came before it (or after the service started)
    int receivingMs = 0;  // how long it stays in the RECEIVING state (more parts to come)
};

struct MockConfig {
    bool withModem = true;
    bool canMessage = true;                        // the modem exposes the Messaging interface
    std::vector<std::string> ports = {"ttyUSB2"};  // the Ports property
    std::string sendErrorName;                     // a D-Bus error Send answers with, e.g.
    std::string sendErrorText;  //   org.freedesktop.ModemManager1.Error.Message.NetworkTimeout
    int sendDelayMs = 0;
    std::vector<IncomingMessage> incoming;  // delivered after the first Send
    bool incomingWithoutSend = false;       // deliver them after start instead
};

class MockModemManager final {
public:
    static constexpr const char* kModemPath = "/org/freedesktop/ModemManager1/Modem/0";

    MockModemManager(const std::string& busAddress, MockConfig config);
    ~MockModemManager();

    // The a{sv} of each Create call, as strings.
    std::vector<std::map<std::string, std::string>> Created() const;
    int Sent() const;

    struct Shared {
        mutable std::mutex mutex;
        std::vector<std::map<std::string, std::string>> created;
        int sent = 0;
    };

private:
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QThread> thread_;
};

}  // namespace modem_test
