#pragma once

// A temporary TCP server for commissioning: it shows, connection by connection, which peers reach
// this computer's server port and what each sends first, so that an engineer sees every configured
// DTU register. It accepts, reads and closes; it never sends a byte.

#include <chrono>
#include <cstddef>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/MessageError.h"
#include "net/SocketHandle.h"

namespace net {

inline constexpr std::chrono::milliseconds kFirstWindow{5000};
inline constexpr std::size_t kMaxFirstBytes = 256;

struct ListenOptions {
    std::string bindAddress = "0.0.0.0";  // a numeric IPv4 or IPv6 address; 0.0.0.0 is every IPv4 one
    int port = 0;                         // 1 to 65535; 0 takes any free port (see port())
    std::chrono::milliseconds firstWindow = kFirstWindow;  // how long a connection is watched
    std::size_t maxConnections = 0;                        // stop after this many; 0: no limit
    std::chrono::milliseconds timeout{0};                  // stop after this long; 0: no limit
    // When set, asked after each read with what the connection sent so far: true reports the
    // connection at once and closes it, which frees its place for the next peer.
    std::function<bool(std::string_view received)> enough;
    // When set, called from Run about every tickEvery (at least 1 ms), also while nothing happens.
    std::function<void()> tick;
    std::chrono::milliseconds tickEvery{1000};
};

// One connection, reported once: when its first window is over, when the peer closed it, when it
// sent kMaxFirstBytes bytes, when ListenOptions::enough said so, or when the listener stops.
struct ConnectionReport {
    std::chrono::system_clock::time_point arrived;
    std::string peerAddress;  // numeric, IPv6 without brackets
    int peerPort = 0;
    std::string received;  // the first bytes the peer sent within its window, at most 256
};

// True when `text` is a numeric IPv4 or IPv6 address, as ListenOptions::bindAddress takes it.
bool IsNumericAddress(const std::string& text);

// The listener could not be set up. The message names the port or the address and says why.
class ListenError : public base::MessageError {
public:
    using base::MessageError::MessageError;
};

class ConnectionListener final {
public:
    // Binds and listens (SO_REUSEADDR, so that connections of an earlier run waiting out their
    // TIME_WAIT do not block the port). Throws ListenError: "port N is already in use", a port
    // outside 0..65535, an address that is not numeric or not this computer's, a port below 1024
    // without the right to it, or any other failure with the system's reason.
    explicit ConnectionListener(const ListenOptions& options);
    ~ConnectionListener();
    ConnectionListener(const ConnectionListener&) = delete;
    ConnectionListener& operator=(const ConnectionListener&) = delete;

    // The port listened on (the one chosen by the system when 0 was asked for).
    int port() const { return port_; }

    // Accepts connections as they come, many at a time (one poll loop, no thread per connection),
    // and calls `report` once per connection, in the order their reports fall due. A connection is
    // closed when its first window is over (or the peer closed it); bytes past the 256th are read
    // and dropped so that its close is orderly. Returns, with the number of connections reported,
    // after maxConnections connections were accepted and reported, when the timeout is over, or
    // when RequestStop was called; connections still open are then reported with what they sent so
    // far. Exceptions from `report` pass through (every socket is closed). At most 512 connections
    // are held open at once; further peers wait in the system's queue until one is closed.
    std::size_t Run(const std::function<void(const ConnectionReport&)>& report);

    // Makes Run return soon; safe to call from a signal handler (it writes one byte to a pipe, or on
    // Windows sends one to a loopback socket) or another thread, before or during Run.
    void RequestStop() const noexcept;

private:
    SocketHandle listener_ = kNoSocket;
    SocketHandle stopRead_ = kNoSocket;
    SocketHandle stopWrite_ = kNoSocket;
    int port_ = 0;
    ListenOptions options_;
};

// What the peer sent, for one line of text:
// - "(nothing)" when it sent nothing;
// - in double quotes when every byte is printable ASCII, CR, LF or TAB; a quote and a backslash
//   are written \" and \\, CR, LF and TAB as \r, \n and \t;
// - otherwise "hex " and each byte as two lower-case hex digits, separated by spaces.
std::string FormatReceived(std::string_view bytes);

// "<YYYY-MM-DD HH:MM:SS> <peer>:<port> <received>", with the local time of arrival given as
// `localTime`, an IPv6 peer in brackets, and FormatReceived's text.
std::string FormatConnectionLine(const ConnectionReport& report, const std::tm& localTime);
// The same with the report's arrival in this computer's local time zone.
std::string FormatConnectionLine(const ConnectionReport& report);

// `when` in this computer's local time zone, as "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText(std::chrono::system_clock::time_point when);

// The peer as a line shows it: "<address>:<port>", an IPv6 address in brackets.
std::string PeerText(const ConnectionReport& report);

}  // namespace net
