#include "tests/net/LoopbackPeers.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "net/SocketApi.h"

namespace nettest {
namespace {

using net::CloseSocket;
using net::kNoSocket;
using net::kSendNoSignal;
using net::SocketHandle;

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A blocking TCP socket, as a peer of the code under test would have.
SocketHandle PlainSocket() {
    if (!net::StartSockets()) {
        throw std::runtime_error("sockets unavailable");
    }
    return ::socket(AF_INET, SOCK_STREAM, 0);
}

SocketHandle BoundSocket(int* port) {
    SocketHandle descriptor = PlainSocket();
    if (descriptor == kNoSocket) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address = LoopbackAddress(0);
    net::SocketLength length = sizeof(address);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseSocket(descriptor);
        throw std::runtime_error("bind failed");
    }
    *port = ntohs(address.sin_port);
    return descriptor;
}

SocketHandle BoundIpv6Socket(int* port) {
    if (!net::StartSockets()) {
        throw std::runtime_error("sockets unavailable");
    }
    SocketHandle descriptor = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (descriptor == kNoSocket) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    net::SocketLength length = sizeof(address);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseSocket(descriptor);
        throw std::runtime_error("bind failed");
    }
    *port = ntohs(address.sin6_port);
    return descriptor;
}

}  // namespace

Listener::Listener(int backlog, bool fillQueue) {
    descriptor_ = BoundSocket(&port_);
    if (::listen(descriptor_, backlog) != 0) {
        CloseSocket(descriptor_);
        throw std::runtime_error("listen failed");
    }
    if (fillQueue) {
        filler_ = PlainSocket();
        const sockaddr_in address = LoopbackAddress(port_);
        ::connect(filler_, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    }
}

Listener::~Listener() {
    CloseSocket(filler_);
    CloseSocket(descriptor_);
}

int RefusedPort() {
    int port = 0;
    SocketHandle bound = BoundSocket(&port);
    CloseSocket(bound);
    return port;
}

HttpServer::HttpServer(std::string body, bool silent, std::string status, bool ipv6)
    : body_(std::move(body)), silent_(silent), status_(std::move(status)), ipv6_(ipv6) {
    descriptor_ = ipv6 ? BoundIpv6Socket(&port_) : BoundSocket(&port_);
    if (::listen(descriptor_, 8) != 0) {
        CloseSocket(descriptor_);
        throw std::runtime_error("listen failed");
    }
    thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
    stopping_ = true;
    thread_.join();
    CloseSocket(descriptor_);
}

std::string HttpServer::Url() const {
    return std::string(ipv6_ ? "http://[::1]:" : "http://127.0.0.1:") + std::to_string(port_) +
           "/static/customercare/yourIP.asp";
}

void HttpServer::Serve() {
    std::vector<SocketHandle> silentClients;
    while (!stopping_) {
        net::PollEntry watched{descriptor_, POLLIN, 0};
        if (net::PollSockets(&watched, 1, 50) <= 0) {
            continue;
        }
        SocketHandle client = ::accept(descriptor_, nullptr, nullptr);
        if (client == kNoSocket) {
            continue;
        }
        if (silent_) {
            silentClients.push_back(client);
            continue;
        }
#ifdef _WIN32
        // Wine does not always end a blocked send() when the peer closes (a client that read the
        // first 64 KiB of a long reply and went): time limits end it, or the server never stops and
        // never serves the next client.
        const DWORD limitMs = 2000;
        for (const int option : {SO_SNDTIMEO, SO_RCVTIMEO}) {
            ::setsockopt(client, SOL_SOCKET, option, reinterpret_cast<const char*>(&limitMs),
                         sizeof(limitMs));
        }
#endif
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const auto got = ::recv(client, chunk, sizeof(chunk), 0);
            if (got <= 0) {
                break;
            }
            request.append(chunk, static_cast<std::size_t>(got));
        }
        const std::string head = "HTTP/1.1 " + status_ + "\r\nContent-Type: text/html\r\nContent-Length: " +
                                 std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n";
        ::send(client, head.data(), static_cast<int>(head.size()), kSendNoSignal);
        std::size_t sent = 0;
        while (sent < body_.size()) {
            // In pieces, so that a time limit counts from the last progress, not from the start.
            const std::size_t piece = std::min<std::size_t>(body_.size() - sent, 64 * 1024);
            const auto put = ::send(client, body_.data() + sent, static_cast<int>(piece), kSendNoSignal);
            if (put <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(put);
        }
        CloseSocket(client);
    }
    for (SocketHandle client : silentClients) {
        CloseSocket(client);
    }
}

}  // namespace nettest
