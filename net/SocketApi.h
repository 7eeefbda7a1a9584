#pragma once

// The socket calls whose spelling differs between POSIX and Windows (Winsock), so that the code that
// uses sockets is written once. Each keeps the POSIX meaning; SocketApiPosix.cpp and
// SocketApiWindows.cpp implement them. Including this header brings the system's socket headers.

#include <cstddef>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include "net/SocketHandle.h"

namespace net {

#ifdef _WIN32
using PollEntry = WSAPOLLFD;
using SocketLength = int;
#else
using PollEntry = pollfd;
using SocketLength = socklen_t;
#endif

// The send() flags that keep a peer's close from ending the process with SIGPIPE (Windows has none).
#ifdef MSG_NOSIGNAL
inline constexpr int kSendNoSignal = MSG_NOSIGNAL;
#else
inline constexpr int kSendNoSignal = 0;
#endif

// Makes sockets usable: Winsock's WSAStartup, once per process, kept until the process ends (nothing
// to do on POSIX). False when the socket layer cannot start. Safe to call from any thread, any time.
bool StartSockets() noexcept;

// A new socket of `family` (AF_INET, AF_INET6) and `type` (SOCK_STREAM, SOCK_DGRAM), non-blocking and
// not inherited by child processes; kNoSocket when none could be made (LastSocketError says why).
SocketHandle OpenSocket(int family, int type) noexcept;

// The next connection waiting on the listening socket `listener`, non-blocking and not inherited,
// with the peer's address in `peer`; kNoSocket when none is waiting or the call failed.
SocketHandle AcceptSocket(SocketHandle listener, sockaddr_storage& peer) noexcept;

// Readies `socket` for bind() and listen(). POSIX: SO_REUSEADDR, so that connections of an earlier run
// waiting out their TIME_WAIT do not block the port. Windows: SO_EXCLUSIVEADDRUSE, since Windows binds
// over TIME_WAIT anyway and its SO_REUSEADDR would let a second program take a port in use.
bool PrepareListeningSocket(SocketHandle socket) noexcept;

// Closes `socket` unless it is kNoSocket, and sets it to kNoSocket.
void CloseSocket(SocketHandle& socket) noexcept;

// Owns one socket: closed when the owner goes.
class OwnedSocket final {
public:
    explicit OwnedSocket(SocketHandle socket) noexcept : socket_(socket) {}
    ~OwnedSocket() { CloseSocket(socket_); }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;

    SocketHandle get() const noexcept { return socket_; }
    bool valid() const noexcept { return socket_ != kNoSocket; }

private:
    SocketHandle socket_;
};

// poll() (WSAPoll on Windows): waits up to `timeoutMs` (-1: no limit) until an entry is ready; the
// number of ready entries, 0 on time-out, -1 on failure. Entries whose socket is kNoSocket are skipped
// and get no events. Only POLLIN may be asked for on every system.
int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) noexcept;

// The error of the last failed socket call of this thread (errno; WSAGetLastError on Windows).
int LastSocketError() noexcept;

enum class SocketFault {
    Interrupted,      // EINTR: try again
    WouldBlock,       // nothing to read, write or accept now; or a connect under way
    AddressInUse,     // bind: another socket has the port
    AccessDenied,     // bind: a port that needs privileges
    AddressNotLocal,  // bind: not an address of this computer
    OutOfResources,   // no descriptors or buffers left
    Refused,          // connect: nothing listens on the port (or a firewall rejects it)
    Other,
};

// What the error code of LastSocketError means, in the same words on every system.
SocketFault ClassifySocketError(int error) noexcept;

// The system's text for the error code of LastSocketError.
std::string SocketErrorText(int error);

// How a non-blocking connect() that did not finish at once stands after waiting up to `timeoutMs`.
// On Failed, `error` (when given) receives the socket's error code for ClassifySocketError and
// SocketErrorText (0 when the system gave none).
enum class ConnectState { Connected, Failed, Pending };
ConnectState WaitForConnection(SocketHandle socket, int timeoutMs, int* error = nullptr) noexcept;

// A one-way wake-up for a poll loop: Wake(writeEnd) makes readEnd readable. A pipe on POSIX, a
// loopback datagram socket sent to itself on Windows (WSAPoll waits on sockets only). False, with
// nothing open, when it cannot be made.
bool OpenWakeChannel(SocketHandle& readEnd, SocketHandle& writeEnd) noexcept;

// Sends one wake-up byte. Safe in a signal handler and from any thread; leaves errno as it was.
void Wake(SocketHandle writeEnd) noexcept;

}  // namespace net
