#pragma once

// The TCP connection attempt behind "Test server port".

#include <chrono>
#include <string>

#include "net/EventPump.h"

namespace net {

inline constexpr std::chrono::milliseconds kConnectTimeout{10'000};
inline constexpr std::chrono::milliseconds kPumpInterval{100};

// Why an attempt did not connect.
enum class ConnectFailure {
    None,            // connected
    NoAddress,       // the address is not dotted decimal (empty text included): no attempt
    PortOutOfRange,  // the port is outside 1..65535: no attempt
    Refused,         // the host answered that nothing listens on the port
    TimedOut,        // no answer within the time-out
    Abandoned,       // the pump asked to stop
    Other,           // anything else the system reports (unreachable network, no socket, ...)
};

struct ConnectOutcome {
    ConnectFailure failure = ConnectFailure::Other;
    std::string systemText;  // Other: the system's words for its error, when it gave one
};

// One TCP connection attempt to `address` (dotted decimal; anything else, empty text included, fails
// without an attempt) and `port`, closed at once without data. Runs `pump` once when the socket has
// been created, then at least every 100 ms while it waits. Gives up after `timeout`. Ports outside
// 1..65535 fail without an attempt; a pump that returns false abandons the attempt. A refused
// connection is reported as soon as it is refused. Never throws.
ConnectOutcome AttemptTcpConnect(const std::string& address, int port, const EventPump& pump = {},
                                 std::chrono::milliseconds timeout = kConnectTimeout);

// AttemptTcpConnect answered as whether the connection was established.
bool TestTcpConnect(const std::string& address, int port, const EventPump& pump = {},
                    std::chrono::milliseconds timeout = kConnectTimeout);

}  // namespace net
