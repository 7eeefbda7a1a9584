#include "net/ConnectionListener.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "net/NumericAddress.h"
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

ListenError BindFailure(int error, const ListenOptions& options) {
    const long long port = options.port;
    switch (ClassifySocketError(error)) {
        case SocketFault::AddressInUse:
            return ListenError("port %d is already in use (another program is listening on it)", {port});
        case SocketFault::AccessDenied:
            return ListenError("port %d needs administrator rights (ports below 1024 do)", {port});
        case SocketFault::AddressNotLocal:
            return ListenError("cannot listen on %s: it is not an address of this computer",
                               {options.bindAddress});
        default:
            return ListenError("cannot listen on port %d: %s", {port, SocketErrorText(error)});
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
// closed; so is one whose bytes are `enough`.
void ReadFrom(Connection& connection, const std::function<void(Connection&)>& finish,
              const std::function<bool(std::string_view)>& enough) {
    char buffer[4096];
    std::string& received = connection.report.received;
    const std::size_t room = kMaxFirstBytes - std::min(kMaxFirstBytes, received.size());
    const std::size_t want = connection.reported || room == 0 ? sizeof(buffer) : room;
    const auto n = ::recv(connection.fd, buffer, static_cast<int>(want), 0);
    if (n > 0) {
        if (!connection.reported) {
            received.append(buffer, static_cast<std::size_t>(n));
            if (enough && enough(received)) {
                finish(connection);
                CloseQuietly(connection.fd);
            } else if (received.size() >= kMaxFirstBytes) {
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

// Closes the sockets of a list of connections.
struct CloseAll {
    void operator()(std::vector<Connection>* open) const {
        for (Connection& connection : *open) {
            CloseQuietly(connection.fd);
        }
    }
};

// The poll set of one round: the stop channel, the listener (kNoSocket while not accepting), each
// open connection in order.
std::vector<PollEntry> PollSet(SocketHandle stopRead, SocketHandle listener,
                               const std::vector<Connection>& open) {
    std::vector<PollEntry> polled{{stopRead, POLLIN, 0}, {listener, POLLIN, 0}};
    for (const Connection& connection : open) {
        polled.push_back({connection.fd, POLLIN, 0});
    }
    return polled;
}

// When a round's poll must return at the latest: `limit`, a minute from now, or the end of the first
// window of an open connection, whichever comes first.
Clock::time_point WakeTime(const std::vector<Connection>& open, Clock::time_point limit,
                           Clock::time_point now) {
    Clock::time_point wake = std::min(limit, now + std::chrono::seconds(60));
    for (const Connection& connection : open) {
        wake = std::min(wake, connection.windowEnd);
    }
    return wake;
}

// Reads from the connections that poll found ready (`polled` as PollSet made it), reports and
// closes those whose first window is over, and drops the closed ones from `open`.
void Serve(std::vector<Connection>& open, const std::vector<PollEntry>& polled, Clock::time_point now,
           const std::function<void(Connection&)>& finish,
           const std::function<bool(std::string_view)>& enough) {
    for (std::size_t i = 0; i < open.size(); ++i) {
        if ((polled[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            ReadFrom(open[i], finish, enough);
        }
        if (open[i].fd != kNoSocket && now >= open[i].windowEnd) {
            finish(open[i]);
            CloseQuietly(open[i].fd);
        }
    }
    std::erase_if(open, [](const Connection& connection) { return connection.fd == kNoSocket; });
}

// How many more peers the listener takes after `accepted` of them (SIZE_MAX when there is no limit).
std::size_t StillWanted(const ListenOptions& options, std::size_t accepted) {
    return options.maxConnections == 0 ? SIZE_MAX : options.maxConnections - accepted;
}

// When listening ends: the time-out after `start`, or never when there is none.
Clock::time_point DeadlineOf(const ListenOptions& options, Clock::time_point start) {
    return options.timeout.count() > 0 ? start + options.timeout : Clock::time_point::max();
}

// Accepts waiting peers into `open` while it has room, up to `limit` of them; returns how many. When
// the system is out of descriptors, `acceptAgain` is set a pause after `now`, since retrying at once
// would spin.
std::size_t AcceptWaiting(SocketHandle listener, std::vector<Connection>& open, std::size_t limit,
                          Clock::time_point now, Clock::duration firstWindow,
                          Clock::time_point& acceptAgain) {
    std::size_t accepted = 0;
    while (accepted < limit && open.size() < kMaxOpenConnections) {
        sockaddr_storage peer{};
        const SocketHandle fd = AcceptSocket(listener, peer);
        if (fd == kNoSocket) {
            if (ClassifySocketError(LastSocketError()) == SocketFault::OutOfResources) {
                acceptAgain = now + kAcceptPause;
            }
            break;
        }
        Connection connection;
        connection.fd = fd;
        connection.windowEnd = now + firstWindow;
        connection.report.arrived = std::chrono::system_clock::now();
        ReadPeer(peer, connection.report);
        open.push_back(std::move(connection));
        ++accepted;
    }
    return accepted;
}

Clock::duration TickPeriod(const ListenOptions& options) {
    return std::max(options.tickEvery, std::chrono::milliseconds(1));
}

// Calls the tick when it is due at `due`; returns when it is due next.
Clock::time_point TickIfDue(const ListenOptions& options, Clock::time_point due, Clock::time_point now) {
    if (now < due) {
        return due;
    }
    options.tick();
    return now + TickPeriod(options);
}

}  // namespace

bool IsNumericAddress(const std::string& text) {
    SocketLength length = 0;
    return NumericSocketAddress(text, 0, length).has_value();
}

ConnectionListener::ConnectionListener(const ListenOptions& options) : options_(options) {
    if (options.port < 0 || options.port > 65535) {
        throw ListenError("cannot listen on port %d: TCP ports go from 1 to 65535",
                          {static_cast<long long>(options.port)});
    }
    SocketLength length = 0;
    const std::optional<sockaddr_storage> address =
        NumericSocketAddress(options.bindAddress, options.port, length);
    if (!address) {
        throw ListenError("cannot listen on \"%s\": it is no numeric IPv4 or IPv6 address",
                          {options.bindAddress});
    }
    if (!StartSockets() || !OpenWakeChannel(stopRead_, stopWrite_)) {
        throw ListenError("cannot listen on port %d: %s",
                          {static_cast<long long>(options.port), SocketErrorText(LastSocketError())});
    }
    listener_ = OpenSocket(address->ss_family, SOCK_STREAM);
    if (listener_ == kNoSocket || !PrepareListeningSocket(listener_) ||
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), length) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0) {
        const int error = LastSocketError();
        CloseQuietly(listener_);
        CloseQuietly(stopRead_);
        CloseQuietly(stopWrite_);
        throw BindFailure(error, options);
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

void ConnectionListener::RequestStop() const noexcept {
    Wake(stopWrite_);
}

std::size_t ConnectionListener::Run(const std::function<void(const ConnectionReport&)>& report) {
    std::vector<Connection> open;
    std::size_t accepted = 0;
    std::size_t reported = 0;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = DeadlineOf(options_, start);
    Clock::time_point acceptAgain = start;

    // Every socket is closed on the way out, also when `report` throws.
    const std::unique_ptr<std::vector<Connection>, CloseAll> closer(&open);

    const std::function<void(Connection&)> finish = [&](Connection& connection) {
        if (!connection.reported) {
            connection.reported = true;
            ++reported;
            report(connection.report);
        }
    };

    Clock::time_point nextTick = options_.tick ? start + TickPeriod(options_) : Clock::time_point::max();

    for (;;) {
        Clock::time_point now = Clock::now();
        if (now >= deadline) {
            break;
        }
        nextTick = TickIfDue(options_, nextTick, now);
        const bool wantMore = StillWanted(options_, accepted) > 0;
        if (!wantMore) {
            // Later peers are refused at once instead of waiting in the queue for nobody.
            CloseQuietly(listener_);
            if (open.empty()) {
                break;
            }
        }
        const bool room = open.size() < kMaxOpenConnections;
        const bool accepting = wantMore && room && now >= acceptAgain;
        const Clock::time_point limit = std::min(deadline, nextTick);
        const Clock::time_point wake =
            WakeTime(open, std::min(limit, wantMore && room && !accepting ? acceptAgain : limit), now);
        std::vector<PollEntry> polled = PollSet(stopRead_, accepting ? listener_ : kNoSocket, open);
        if (PollSockets(polled.data(), polled.size(), MillisecondsUntil(wake, now)) < 0 &&
            ClassifySocketError(LastSocketError()) != SocketFault::Interrupted) {
            break;
        }
        now = Clock::now();
        Serve(open, polled, now, finish, options_.enough);
        if (polled[0].revents != 0) {
            break;
        }
        if (accepting) {
            accepted += AcceptWaiting(listener_, open, StillWanted(options_, accepted), now,
                                      options_.firstWindow, acceptAgain);
        }
    }
    // Stopped early: what the open connections sent so far is still worth a line each.
    for (Connection& connection : open) {
        finish(connection);
    }
    return reported;
}

}  // namespace net
