#pragma once

// The TCP connection attempt behind "Test server port".

#include <chrono>
#include <string>

#include "net/EventPump.h"

namespace net {

inline constexpr std::chrono::milliseconds kConnectTimeout{10'000};
inline constexpr std::chrono::milliseconds kPumpInterval{100};

// One TCP connection attempt to `address` (dotted decimal; anything else, empty text included, fails
// without an attempt) and `port`, closed at once without data. Runs `pump` once when the socket has
// been created, then at least every 100 ms while it waits. Gives up after `timeout`. Ports outside
// 1..65535 fail without an attempt; a pump that returns false abandons the attempt (false). A refused
// connection is reported as soon as it is refused. Never throws.
bool TestTcpConnect(const std::string& address, int port, const EventPump& pump = {},
                    std::chrono::milliseconds timeout = kConnectTimeout);

}  // namespace net
