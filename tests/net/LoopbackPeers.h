#pragma once

// Peers on 127.0.0.1 that the network tests start and stop themselves.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "net/SocketHandle.h"

namespace nettest {

// A listening TCP socket on 127.0.0.1 and an ephemeral port. With `backlog` 0 and `fillQueue`, one
// connection is made and never accepted, so that further connection attempts get no answer.
class Listener {
public:
    explicit Listener(int backlog = 16, bool fillQueue = false);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return port_; }

private:
    net::SocketHandle descriptor_ = net::kNoSocket;
    net::SocketHandle filler_ = net::kNoSocket;
    int port_ = 0;
};

// A port on 127.0.0.1 that was just free: bound, its number read, then closed again.
int RefusedPort();

// A one-thread HTTP server on 127.0.0.1 (on ::1 with `ipv6`) that answers every request with `body`
// (with its length and the given status line), or accepts and never answers when `silent` is set.
// Stops on destruction. Throws std::runtime_error when it cannot listen (no IPv6 loopback, say).
class HttpServer {
public:
    explicit HttpServer(std::string body, bool silent = false, std::string status = "200 OK",
                        bool ipv6 = false);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::string Url() const;

private:
    void Serve();

    std::string body_;
    bool silent_;
    std::string status_;
    bool ipv6_;
    net::SocketHandle descriptor_ = net::kNoSocket;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace nettest
