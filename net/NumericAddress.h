#pragma once

// A listening address typed as numbers ("127.0.0.1", "::1") made into the system's socket address.

#include <optional>
#include <string>

#include "net/SocketApi.h"

namespace net {

// The numeric address of `text` with `port`, IPv4 first; `length` is set to the used part of the
// result. nullopt when `text` is neither an IPv4 nor an IPv6 address (names are not resolved).
std::optional<sockaddr_storage> NumericSocketAddress(const std::string& text, int port, SocketLength& length);

}  // namespace net
