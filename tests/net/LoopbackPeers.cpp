#include "tests/net/LoopbackPeers.h"

#include <stdexcept>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nettest {
namespace {

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int BoundSocket(int* port) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof(address);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(descriptor);
        throw std::runtime_error("bind failed");
    }
    *port = ntohs(address.sin_port);
    return descriptor;
}

int BoundIpv6Socket(int* port) {
    const int descriptor = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    socklen_t length = sizeof(address);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(descriptor);
        throw std::runtime_error("bind failed");
    }
    *port = ntohs(address.sin6_port);
    return descriptor;
}

}  // namespace

Listener::Listener(int backlog, bool fillQueue) {
    descriptor_ = BoundSocket(&port_);
    if (::listen(descriptor_, backlog) != 0) {
        ::close(descriptor_);
        throw std::runtime_error("listen failed");
    }
    if (fillQueue) {
        filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = LoopbackAddress(port_);
        ::connect(filler_, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    }
}

Listener::~Listener() {
    if (filler_ >= 0) {
        ::close(filler_);
    }
    ::close(descriptor_);
}

int RefusedPort() {
    int port = 0;
    ::close(BoundSocket(&port));
    return port;
}

HttpServer::HttpServer(std::string body, bool silent, std::string status, bool ipv6)
    : body_(std::move(body)), silent_(silent), status_(std::move(status)), ipv6_(ipv6) {
    descriptor_ = ipv6 ? BoundIpv6Socket(&port_) : BoundSocket(&port_);
    if (::listen(descriptor_, 8) != 0) {
        ::close(descriptor_);
        throw std::runtime_error("listen failed");
    }
    thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
    stopping_ = true;
    ::shutdown(descriptor_, SHUT_RDWR);
    thread_.join();
    ::close(descriptor_);
}

std::string HttpServer::Url() const {
    return std::string(ipv6_ ? "http://[::1]:" : "http://127.0.0.1:") + std::to_string(port_) +
           "/static/customercare/yourIP.asp";
}

void HttpServer::Serve() {
    std::vector<int> silentClients;
    while (!stopping_) {
        pollfd watched{descriptor_, POLLIN, 0};
        if (::poll(&watched, 1, 50) <= 0) {
            continue;
        }
        const int client = ::accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        if (silent_) {
            silentClients.push_back(client);
            continue;
        }
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = ::recv(client, chunk, sizeof(chunk), 0);
            if (got <= 0) {
                break;
            }
            request.append(chunk, static_cast<std::size_t>(got));
        }
        const std::string head = "HTTP/1.1 " + status_ + "\r\nContent-Type: text/html\r\nContent-Length: " +
                                 std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n";
        ::send(client, head.data(), head.size(), MSG_NOSIGNAL);
        std::size_t sent = 0;
        while (sent < body_.size()) {
            const ssize_t put = ::send(client, body_.data() + sent, body_.size() - sent, MSG_NOSIGNAL);
            if (put <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(put);
        }
        ::close(client);
    }
    for (const int client : silentClients) {
        ::close(client);
    }
}

}  // namespace nettest
