#include "net/ConnectionListener.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "net/SocketApi.h"

namespace net {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxOpenConnections = 512;
constexpr std::chrono::milliseconds kAcceptPause{100};

struct Connection {
    SocketHandle fd = kNoSocket;
    Clock::time_point windowEnd;
    ConnectionReport report;
    bool reported = false;
};

void CloseQuietly(SocketHandle& fd) {
    CloseSocket(fd);
}

// The numeric address of `text` with `port`, IPv4 first; nullopt when it is neither.
std::optional<sockaddr_storage> SocketAddress(const std::string& text, int port, SocketLength& length) {
    sockaddr_storage storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    if (::inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof(sockaddr_in);
        return storage;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (::inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof(sockaddr_in6);
        return storage;
    }
    return std::nullopt;
}

void ReadPeer(const sockaddr_storage& address, ConnectionReport& report) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof(text));
        report.peerPort = ntohs(v6->sin6_port);
    } else {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof(text));
        report.peerPort = ntohs(v4->sin_port);
    }
    report.peerAddress = text;
}

std::string BindFailure(int error, const ListenOptions& options) {
    const std::string port = std::to_string(options.port);
    switch (ClassifySocketError(error)) {
        case SocketFault::AddressInUse:
            return "port " + port + " is already in use (another program is listening on it)";
        case SocketFault::AccessDenied:
            return "port " + port + " needs administrator rights (ports below 1024 do)";
        case SocketFault::AddressNotLocal:
            return "cannot listen on " + options.bindAddress + ": it is not an address of this computer";
        default:
            return "cannot listen on port " + port + ": " + SocketErrorText(error);
    }
}

// Milliseconds from now until `when`, rounded up so that poll never wakes just before it.
int MillisecondsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) {
        return 0;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::min<long long>(wait, 60'000));
}

// Reads what the peer sent: into its report up to kMaxFirstBytes (reporting it when that is full),
// then into nothing, so that its close stays orderly. A peer that closed or failed is reported and
// closed.
void ReadFrom(Connection& connection, const std::function<void(Connection&)>& finish) {
    char buffer[4096];
    std::string& received = connection.report.received;
    const std::size_t room = kMaxFirstBytes - std::min(kMaxFirstBytes, received.size());
    const std::size_t want = connection.reported || room == 0 ? sizeof(buffer) : room;
    const auto n = ::recv(connection.fd, buffer, static_cast<int>(want), 0);
    if (n > 0) {
        if (!connection.reported) {
            received.append(buffer, static_cast<std::size_t>(n));
            if (received.size() >= kMaxFirstBytes) {
                finish(connection);
            }
        }
        return;
    }
    const SocketFault fault = n == 0 ? SocketFault::Other : ClassifySocketError(LastSocketError());
    if (fault != SocketFault::WouldBlock && fault != SocketFault::Interrupted) {
        finish(connection);
        CloseQuietly(connection.fd);
    }
}

}  // namespace

ConnectionListener::ConnectionListener(const ListenOptions& options) : options_(options) {
    if (options.port < 0 || options.port > 65535) {
        throw ListenError("cannot listen on port " + std::to_string(options.port) +
                          ": TCP ports go from 1 to 65535");
    }
    SocketLength length = 0;
    const std::optional<sockaddr_storage> address = SocketAddress(options.bindAddress, options.port, length);
    if (!address) {
        throw ListenError("cannot listen on \"" + options.bindAddress +
                          "\": it is no numeric IPv4 or IPv6 address");
    }
    if (!StartSockets() || !OpenWakeChannel(stopRead_, stopWrite_)) {
        throw ListenError("cannot listen on port " + std::to_string(options.port) + ": " +
                          SocketErrorText(LastSocketError()));
    }
    listener_ = OpenSocket(address->ss_family, SOCK_STREAM);
    if (listener_ == kNoSocket || !PrepareListeningSocket(listener_) ||
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), length) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0) {
        const int error = LastSocketError();
        CloseQuietly(listener_);
        CloseQuietly(stopRead_);
        CloseQuietly(stopWrite_);
        throw ListenError(BindFailure(error, options));
    }
    sockaddr_storage bound{};
    SocketLength boundLength = sizeof(bound);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    ConnectionReport self;
    ReadPeer(bound, self);
    port_ = self.peerPort;
}

ConnectionListener::~ConnectionListener() {
    CloseQuietly(listener_);
    CloseQuietly(stopRead_);
    CloseQuietly(stopWrite_);
}

void ConnectionListener::RequestStop() noexcept {
    Wake(stopWrite_);
}

std::size_t ConnectionListener::Run(const std::function<void(const ConnectionReport&)>& report) {
    std::vector<Connection> open;
    std::size_t accepted = 0;
    std::size_t reported = 0;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        options_.timeout.count() > 0 ? start + options_.timeout : Clock::time_point::max();
    Clock::time_point acceptAgain = start;
    bool stopping = false;

    // Every socket is closed on the way out, also when `report` throws.
    struct Closer {
        std::vector<Connection>& open;
        ~Closer() {
            for (Connection& connection : open) {
                CloseQuietly(connection.fd);
            }
        }
    } closer{open};

    const std::function<void(Connection&)> finish = [&](Connection& connection) {
        if (!connection.reported) {
            connection.reported = true;
            ++reported;
            report(connection.report);
        }
    };

    for (;;) {
        Clock::time_point now = Clock::now();
        if (stopping || now >= deadline) {
            break;
        }
        const bool wantMore = options_.maxConnections == 0 || accepted < options_.maxConnections;
        if (!wantMore) {
            // Later peers are refused at once instead of waiting in the queue for nobody.
            CloseQuietly(listener_);
            if (open.empty()) {
                break;
            }
        }
        const bool room = open.size() < kMaxOpenConnections;
        const bool accepting = wantMore && room && now >= acceptAgain;

        std::vector<PollEntry> polled;
        polled.push_back({stopRead_, POLLIN, 0});
        polled.push_back({accepting ? listener_ : kNoSocket, POLLIN, 0});
        Clock::time_point wake = std::min(deadline, now + std::chrono::seconds(60));
        if (wantMore && room && !accepting) {
            wake = std::min(wake, acceptAgain);
        }
        for (const Connection& connection : open) {
            polled.push_back({connection.fd, POLLIN, 0});
            wake = std::min(wake, connection.windowEnd);
        }
        if (PollSockets(polled.data(), polled.size(), MillisecondsUntil(wake, now)) < 0 &&
            ClassifySocketError(LastSocketError()) != SocketFault::Interrupted) {
            break;
        }
        now = Clock::now();
        stopping = polled[0].revents != 0;

        for (std::size_t i = 0; i < open.size(); ++i) {
            if ((polled[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                ReadFrom(open[i], finish);
            }
            if (open[i].fd != kNoSocket && now >= open[i].windowEnd) {
                finish(open[i]);
                CloseQuietly(open[i].fd);
            }
        }
        std::erase_if(open, [](const Connection& connection) { return connection.fd == kNoSocket; });

        while (accepting && !stopping && open.size() < kMaxOpenConnections &&
               (options_.maxConnections == 0 || accepted < options_.maxConnections)) {
            sockaddr_storage peer{};
            const SocketHandle fd = AcceptSocket(listener_, peer);
            if (fd == kNoSocket) {
                if (ClassifySocketError(LastSocketError()) == SocketFault::OutOfResources) {
                    // Out of descriptors: retrying at once would spin, so wait for some to come free.
                    acceptAgain = now + kAcceptPause;
                }
                break;
            }
            Connection connection;
            connection.fd = fd;
            connection.windowEnd = now + options_.firstWindow;
            connection.report.arrived = std::chrono::system_clock::now();
            ReadPeer(peer, connection.report);
            open.push_back(std::move(connection));
            ++accepted;
        }
    }
    // Stopped early: what the open connections sent so far is still worth a line each.
    for (Connection& connection : open) {
        finish(connection);
    }
    return reported;
}

}  // namespace net
