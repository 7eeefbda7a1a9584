#include "net/SocketApi.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace net {

bool StartSockets() noexcept {
    return true;
}

SocketHandle OpenSocket(int family, int type) noexcept {
    return ::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

SocketHandle AcceptSocket(SocketHandle listener, sockaddr_storage& peer) noexcept {
    socklen_t length = sizeof(peer);
    return ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
}

bool PrepareListeningSocket(SocketHandle socket) noexcept {
    const int yes = 1;
    return ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes)) == 0;
}

void CloseSocket(SocketHandle& socket) noexcept {
    if (socket != kNoSocket) {
        ::close(socket);
        socket = kNoSocket;
    }
}

int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) noexcept {
    return ::poll(entries, count, timeoutMs);
}

int LastSocketError() noexcept {
    return errno;
}

SocketFault ClassifySocketError(int error) noexcept {
    switch (error) {
        case EINTR:
            return SocketFault::Interrupted;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case EINPROGRESS:
            return SocketFault::WouldBlock;
        case EADDRINUSE:
            return SocketFault::AddressInUse;
        case EACCES:
            return SocketFault::AccessDenied;
        case EADDRNOTAVAIL:
            return SocketFault::AddressNotLocal;
        case ECONNREFUSED:
            return SocketFault::Refused;
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
            return SocketFault::OutOfResources;
        default:
            return SocketFault::Other;
    }
}

std::string SocketErrorText(int error) {
    return std::generic_category().message(error);
}

ConnectState WaitForConnection(SocketHandle socket, int timeoutMs, int* error) noexcept {
    pollfd watched{socket, POLLOUT, 0};
    const int ready = ::poll(&watched, 1, timeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
        return ConnectState::Pending;
    }
    int pending = ready < 0 ? errno : 0;
    socklen_t length = sizeof(pending);
    if (ready > 0 && ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) {
        pending = errno;
    }
    if (pending == 0 && ready > 0) {
        return ConnectState::Connected;
    }
    if (error != nullptr) {
        *error = pending;
    }
    return ConnectState::Failed;
}

bool OpenWakeChannel(SocketHandle& readEnd, SocketHandle& writeEnd) noexcept {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    return true;
}

void Wake(SocketHandle writeEnd) noexcept {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace net
