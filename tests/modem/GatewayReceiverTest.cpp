#include "modem/GatewayReceiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace modem::gateway {
namespace {

// A blocking loopback client with a receive time-out, so that a receiver that never answers fails
// the test instead of hanging it.
class Client {
public:
    explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }
    void Send(const std::string& bytes) const {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(n);
        }
    }
    // Everything until the receiver closes (or five seconds pass).
    std::string Answer() const {
        std::string answer;
        char buffer[1024];
        ssize_t n = 0;
        while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        return answer;
    }

private:
    int fd_;
    bool connected_ = false;
};

std::string StatusLine(const std::string& answer) {
    return answer.substr(0, answer.find("\r\n"));
}

std::string Ask(int port, const std::string& request) {
    Client client(port);
    EXPECT_TRUE(client.connected());
    client.Send(request);
    return StatusLine(client.Answer());
}

struct Seen {
    std::mutex mutex;
    std::vector<IncomingMessage> messages;
    std::vector<DeliveryReport> reports;
};

class GatewayReceiverTest : public ::testing::Test {
protected:
    GatewayReceiverTest()
        : receiver_({"127.0.0.1", 0}, ReceiverHandlers{[this](const IncomingMessage& message) {
                                                           const std::lock_guard lock(seen_.mutex);
                                                           seen_.messages.push_back(message);
                                                       },
                                                       [this](const DeliveryReport& report) {
                                                           const std::lock_guard lock(seen_.mutex);
                                                           seen_.reports.push_back(report);
                                                       }}) {}

    Seen seen_;
    GatewayReceiver receiver_;
};

TEST_F(GatewayReceiverTest, HostileRequestsGetAnErrorAndChangeNothing) {
    struct Case {
        std::string request;
        const char* status;
    };
    const Case cases[] = {
        {"POST /kannel/mo?from=1&text=x HTTP/1.1\r\n\r\n", "HTTP/1.0 405 Method Not Allowed"},
        {"GET /kannel/mo?text=no-sender HTTP/1.1\r\n\r\n", "HTTP/1.0 400 Bad Request"},
        {"GET /kannel/dlr?status=1 HTTP/1.1\r\n\r\n", "HTTP/1.0 400 Bad Request"},
        {"GET /etc/passwd HTTP/1.1\r\n\r\n", "HTTP/1.0 404 Not Found"},
        {"GET /kannel/mo\r\n\r\n", "HTTP/1.0 400 Bad Request"},
        {std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", 15), "HTTP/1.0 400 Bad Request"},
        {"garbage\n\n", "HTTP/1.0 400 Bad Request"},
        {"GET /kannel/mo?from=1&text=" + std::string(64 * 1024, 'A'),
         "HTTP/1.0 431 Request Header Fields Too Large"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Ask(receiver_.port(), c.request), c.status) << c.request.substr(0, 40);
    }
    // Peers that connect and say nothing, or leave halfway, hold no one else up.
    std::vector<std::unique_ptr<Client>> silent;
    for (int i = 0; i < 20; ++i) {
        silent.push_back(std::make_unique<Client>(receiver_.port()));
    }
    { Client(receiver_.port()).Send("GET /kannel/mo?from=1"); }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(receiver_.port(), "GET /kannel/mo?from=123&text=ok HTTP/1.1\r\n\r\n"), "HTTP/1.0 200 OK");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    const std::lock_guard lock(seen_.mutex);
    ASSERT_EQ(seen_.messages.size(), 1U);
    EXPECT_EQ(seen_.messages[0].text, "ok");
    EXPECT_TRUE(seen_.reports.empty());
}

TEST(ListenAddressTest, AddressAndPortAreChecked) {
    struct Case {
        const char* text;
        const char* address;  // nullptr: refused
        int port;
    };
    const Case cases[] = {
        {"127.0.0.1:8080", "127.0.0.1", 8080},
        {"[::1]:9", "::1", 9},
        {"0.0.0.0:65535", "0.0.0.0", 65535},
        {"127.0.0.1:0", nullptr, 0},
        {"127.0.0.1:65536", nullptr, 0},
        {"::1:80", nullptr, 0},
        {"localhost:80", nullptr, 0},
        {"127.0.0.1:", nullptr, 0},
        {":80", nullptr, 0},
        {"127.0.0.1:8x", nullptr, 0},
        {"[::1:80", nullptr, 0},
    };
    for (const Case& c : cases) {
        const std::optional<ListenAddress> where = ParseListenAddress(c.text);
        if (c.address == nullptr) {
            EXPECT_FALSE(where) << c.text;
            continue;
        }
        ASSERT_TRUE(where) << c.text;
        EXPECT_EQ(where->address, c.address);
        EXPECT_EQ(where->port, c.port);
    }
}

TEST(GatewayReceiverErrorTest, APortInUseIsSaid) {
    const GatewayReceiver first({"127.0.0.1", 0}, {});
    try {
        const GatewayReceiver second({"127.0.0.1", first.port()}, {});
        FAIL() << "a second receiver took the port";
    } catch (const ReceiverError& error) {
        EXPECT_NE(std::string(error.what()).find("already in use"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace modem::gateway
