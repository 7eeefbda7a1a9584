#pragma once

// IPv4 addresses as the look-ups give them: dotted-decimal text.

#include <string>

#include "net/SocketApi.h"

namespace net {

// "a.b.c.d" for `address`; empty when it cannot be written.
std::string DottedText(const in_addr& address);

// True when `dotted` is a dotted-decimal address in 127.0.0.0/8.
bool IsLoopback(const std::string& dotted);

}  // namespace net
