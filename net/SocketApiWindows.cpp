#include "net/SocketApi.h"

#include <mutex>
#include <type_traits>
#include <vector>

#include <windows.h>

#include "base/WideText.h"

namespace net {

static_assert(std::is_same_v<SocketHandle, SOCKET>, "SocketHandle must be Winsock's SOCKET");

bool StartSockets() noexcept {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data{};
        started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

namespace {

// Winsock sockets are not inherited unless asked for, but a handle of the process is: the flag keeps
// a child process (a helper the program starts) from holding a port open after the program closed it.
SocketHandle Ready(SOCKET socket) {
    u_long nonBlocking = 1;
    if (socket == INVALID_SOCKET || ::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        if (socket != INVALID_SOCKET) {
            const int error = ::WSAGetLastError();
            ::closesocket(socket);
            ::WSASetLastError(error);
        }
        return kNoSocket;
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return socket;
}

}  // namespace

SocketHandle OpenSocket(int family, int type) noexcept {
    if (!StartSockets()) {
        return kNoSocket;
    }
    return Ready(::WSASocketW(family, type, 0, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT));
}

SocketHandle AcceptSocket(SocketHandle listener, sockaddr_storage& peer) noexcept {
    int length = sizeof(peer);
    return Ready(::accept(listener, reinterpret_cast<sockaddr*>(&peer), &length));
}

bool PrepareListeningSocket(SocketHandle socket) noexcept {
    const BOOL yes = TRUE;
    return ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                        sizeof(yes)) == 0;
}

void CloseSocket(SocketHandle& socket) noexcept {
    if (socket != kNoSocket) {
        ::closesocket(socket);
        socket = kNoSocket;
    }
}

int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) noexcept {
    // WSAPoll fails on an entry without a socket instead of skipping it, and on a list without any.
    std::vector<WSAPOLLFD> live;
    std::vector<std::size_t> from;
    for (std::size_t i = 0; i < count; ++i) {
        entries[i].revents = 0;
        if (entries[i].fd != kNoSocket) {
            live.push_back(entries[i]);
            from.push_back(i);
        }
    }
    if (live.empty()) {
        ::Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        return 0;
    }
    const int ready = ::WSAPoll(live.data(), static_cast<ULONG>(live.size()), timeoutMs);
    for (std::size_t i = 0; i < live.size(); ++i) {
        entries[from[i]].revents = live[i].revents;
    }
    return ready == SOCKET_ERROR ? -1 : ready;
}

int LastSocketError() noexcept {
    return ::WSAGetLastError();
}

SocketFault ClassifySocketError(int error) noexcept {
    switch (error) {
        case WSAEINTR:
            return SocketFault::Interrupted;
        case WSAEWOULDBLOCK:
        case WSAEINPROGRESS:
        case WSAEALREADY:
            return SocketFault::WouldBlock;
        case WSAEADDRINUSE:
            return SocketFault::AddressInUse;
        case WSAEACCES:
            return SocketFault::AccessDenied;
        case WSAEADDRNOTAVAIL:
            return SocketFault::AddressNotLocal;
        case WSAECONNREFUSED:
            return SocketFault::Refused;
        case WSAEMFILE:
        case WSAENOBUFS:
            return SocketFault::OutOfResources;
        default:
            return SocketFault::Other;
    }
}

std::string SocketErrorText(int error) {
    return base::SystemErrorText(static_cast<unsigned long>(error));
}

ConnectState WaitForConnection(SocketHandle socket, int timeoutMs, int* error) noexcept {
    // select, not WSAPoll: before Windows 10 2004 WSAPoll never reports a refused connection and waits
    // out its whole time instead. A failed connection shows in the exception set.
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(0, nullptr, &writable, &failed, &wait);
    if (ready == 0) {
        return ConnectState::Pending;
    }
    if (ready < 0) {
        if (error != nullptr) {
            *error = ::WSAGetLastError();
        }
        return ConnectState::Failed;
    }
    int pending = 0;
    int length = sizeof(pending);
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) != 0) {
        pending = ::WSAGetLastError();
    }
    if (pending == 0 && !FD_ISSET(socket, &failed)) {
        return ConnectState::Connected;
    }
    if (error != nullptr) {
        *error = pending;
    }
    return ConnectState::Failed;
}

bool OpenWakeChannel(SocketHandle& readEnd, SocketHandle& writeEnd) noexcept {
    SocketHandle receiver = OpenSocket(AF_INET, SOCK_DGRAM);
    SocketHandle sender = OpenSocket(AF_INET, SOCK_DGRAM);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    const bool ok = receiver != kNoSocket && sender != kNoSocket &&
                    ::bind(receiver, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                    ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                    ::connect(sender, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    if (!ok) {
        const int error = ::WSAGetLastError();
        CloseSocket(receiver);
        CloseSocket(sender);
        ::WSASetLastError(error);
        return false;
    }
    readEnd = receiver;
    writeEnd = sender;
    return true;
}

void Wake(SocketHandle writeEnd) noexcept {
    // Ctrl-C handlers run on a thread of their own on Windows, where a socket call is allowed.
    const int saved = ::WSAGetLastError();
    const char byte = 1;
    ::send(writeEnd, &byte, 1, 0);
    ::WSASetLastError(saved);
}

}  // namespace net
