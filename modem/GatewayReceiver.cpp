#include "modem/GatewayReceiver.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "modem/UrlQuery.h"
#include "net/NumericAddress.h"
#include "net/SocketApi.h"

namespace modem::gateway {
namespace {

using Clock = std::chrono::steady_clock;

// A request line and Kannel's headers fit easily; a longer request is refused, not stored.
constexpr std::size_t kMaxRequestBytes = std::size_t{16} * 1024;
constexpr std::chrono::seconds kRequestTime{10};
constexpr std::size_t kMaxOpenConnections = 128;
constexpr int kPollMs = 200;

int BoundPort(net::SocketHandle socket) {
    sockaddr_storage bound{};
    net::SocketLength length = sizeof(bound);
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return 0;
    }
    if (bound.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port);
    }
    return ntohs(reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
}

struct Connection {
    net::SocketHandle socket = net::kNoSocket;
    std::string request;
    Clock::time_point deadline;
};

std::string Response(std::string_view status) {
    return "HTTP/1.0 " + std::string(status) +
           "\r\nContent-Type: text/plain\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    std::string_view host = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') {
            return std::nullopt;
        }
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 address needs its brackets
    }
    ListenAddress where;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), where.port);
    if (portText.empty() || error != std::errc{} || end != portText.data() + portText.size() ||
        where.port < 1 || where.port > 65535) {
        return std::nullopt;
    }
    where.address = host;
    net::SocketLength length = 0;
    if (!net::NumericSocketAddress(where.address, 0, length)) {
        return std::nullopt;
    }
    return where;
}

struct GatewayReceiver::State {
    ListenAddress where;
    ReceiverHandlers handlers;
    net::SocketHandle listener = net::kNoSocket;
    net::SocketHandle stopRead = net::kNoSocket;
    net::SocketHandle stopWrite = net::kNoSocket;
    std::vector<Connection> open;
    std::thread thread;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    State(State&&) = delete;
    State& operator=(State&&) = delete;
    ~State() {
        for (Connection& connection : open) {
            net::CloseSocket(connection.socket);
        }
        net::CloseSocket(listener);
        net::CloseSocket(stopRead);
        net::CloseSocket(stopWrite);
    }

    void Serve() {
        std::vector<net::PollEntry> entries;
        for (;;) {
            entries.clear();
            entries.push_back({stopRead, POLLIN, 0});
            // A full house stops accepting; the peers wait in the system's queue meanwhile.
            entries.push_back({open.size() < kMaxOpenConnections ? listener : net::kNoSocket, POLLIN, 0});
            for (const Connection& connection : open) {
                entries.push_back({connection.socket, POLLIN, 0});
            }
            if (net::PollSockets(entries.data(), entries.size(), kPollMs) < 0 &&
                net::ClassifySocketError(net::LastSocketError()) != net::SocketFault::Interrupted) {
                return;
            }
            if ((entries[0].revents & POLLIN) != 0) {
                return;
            }
            const std::size_t watched = open.size();
            for (std::size_t i = 0; i < watched; ++i) {
                if (entries[i + 2].revents != 0) {
                    Read(open[i]);
                }
            }
            if ((entries[1].revents & POLLIN) != 0) {
                Accept();
            }
            const Clock::time_point now = Clock::now();
            for (Connection& connection : open) {
                if (connection.socket != net::kNoSocket && now >= connection.deadline) {
                    net::CloseSocket(connection.socket);
                }
            }
            std::erase_if(open,
                          [](const Connection& connection) { return connection.socket == net::kNoSocket; });
        }
    }

    void Accept() {
        while (open.size() < kMaxOpenConnections) {
            sockaddr_storage peer{};
            const net::SocketHandle socket = net::AcceptSocket(listener, peer);
            if (socket == net::kNoSocket) {
                return;
            }
            open.push_back({socket, {}, Clock::now() + kRequestTime});
        }
    }

    void Read(Connection& connection) const {
        char buffer[4096];
        const auto got = ::recv(connection.socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (got == 0 ||
                net::ClassifySocketError(net::LastSocketError()) != net::SocketFault::WouldBlock) {
                net::CloseSocket(connection.socket);
            }
            return;
        }
        connection.request.append(buffer, static_cast<std::size_t>(got));
        std::size_t headerEnd = connection.request.find("\r\n\r\n");
        if (headerEnd == std::string::npos) {
            headerEnd = connection.request.find("\n\n");
        }
        if (headerEnd == std::string::npos) {
            if (connection.request.size() > kMaxRequestBytes) {
                Answer(connection, "431 Request Header Fields Too Large");
            }
            return;
        }
        try {
            Answer(connection, Handle(connection.request));
        } catch (const std::exception&) {
            Answer(connection, "500 Internal Server Error");
        }
    }

    // The status line for one request, after acting on it.
    std::string_view Handle(std::string_view request) const {
        const std::size_t lineEnd = request.find_first_of("\r\n");
        const std::string_view line = request.substr(0, lineEnd);
        const std::size_t firstSpace = line.find(' ');
        if (firstSpace == std::string_view::npos) {
            return "400 Bad Request";
        }
        const std::string_view method = line.substr(0, firstSpace);
        std::string_view target = line.substr(firstSpace + 1);
        target = target.substr(0, target.find(' '));
        if (method != "GET") {
            return "405 Method Not Allowed";
        }
        const std::size_t question = target.find('?');
        const std::string_view path = target.substr(0, question);
        const auto fields =
            ParseQuery(question == std::string_view::npos ? std::string_view{} : target.substr(question + 1));
        if (path == "/kannel/mo") {
            const std::optional<IncomingMessage> message = ReadIncomingMessage(fields);
            if (!message) {
                return "400 Bad Request";
            }
            if (handlers.onMessage) {
                handlers.onMessage(*message);
            }
            return "200 OK";
        }
        if (path == "/kannel/dlr") {
            const std::optional<DeliveryReport> report = ReadDeliveryReport(fields);
            if (!report) {
                return "400 Bad Request";
            }
            if (handlers.onReport) {
                handlers.onReport(*report);
            }
            return "200 OK";
        }
        return "404 Not Found";
    }

    // Sends the short answer and closes. The answer fits the socket's buffer of a fresh connection;
    // a peer that does not read it loses it, which harms nobody.
    static void Answer(Connection& connection, std::string_view status) {
        const std::string response = Response(status);
        ::send(connection.socket, response.data(), static_cast<int>(response.size()), net::kSendNoSignal);
        net::CloseSocket(connection.socket);
    }
};

GatewayReceiver::GatewayReceiver(const ListenAddress& where, ReceiverHandlers handlers)
    : state_(std::make_unique<State>()) {
    state_->where = where;
    state_->handlers = std::move(handlers);
    net::SocketLength length = 0;
    const std::optional<sockaddr_storage> address =
        net::NumericSocketAddress(where.address, where.port, length);
    if (!address) {
        throw ReceiverError("cannot listen on \"%s\": it is no numeric IPv4 or IPv6 address",
                            {where.address});
    }
    if (!net::StartSockets() || !net::OpenWakeChannel(state_->stopRead, state_->stopWrite)) {
        throw ReceiverError("cannot listen on %s port %d: %s",
                            {where.address, where.port, net::SocketErrorText(net::LastSocketError())});
    }
    state_->listener = net::OpenSocket(address->ss_family, SOCK_STREAM);
    if (state_->listener == net::kNoSocket || !net::PrepareListeningSocket(state_->listener) ||
        ::bind(state_->listener, reinterpret_cast<const sockaddr*>(&*address), length) != 0 ||
        ::listen(state_->listener, SOMAXCONN) != 0) {
        const int error = net::LastSocketError();
        if (net::ClassifySocketError(error) == net::SocketFault::AddressInUse) {
            throw ReceiverError("cannot listen on %s port %d: the port is already in use",
                                {where.address, where.port});
        }
        throw ReceiverError("cannot listen on %s port %d: %s",
                            {where.address, where.port, net::SocketErrorText(error)});
    }
    state_->where.port = BoundPort(state_->listener);
    state_->thread = std::thread([state = state_.get()] { state->Serve(); });
}

GatewayReceiver::~GatewayReceiver() {
    net::Wake(state_->stopWrite);
    if (state_->thread.joinable()) {
        state_->thread.join();
    }
}

int GatewayReceiver::port() const {
    return state_->where.port;
}

std::string GatewayReceiver::BaseUrl() const {
    const bool v6 = state_->where.address.find(':') != std::string::npos;
    const std::string host = v6 ? "[" + state_->where.address + "]" : state_->where.address;
    return "http://" + host + ":" + std::to_string(state_->where.port);
}

}  // namespace modem::gateway
