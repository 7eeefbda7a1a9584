#pragma once

// The type of a socket as the system names it, without the system's socket headers, for headers
// that keep a socket as a member.

#include <cstdint>

namespace net {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;  // Winsock's SOCKET
#else
using SocketHandle = int;  // a file descriptor
#endif

// No socket: what a failed socket call gives.
inline constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(-1);

}  // namespace net
