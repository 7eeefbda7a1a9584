#include "net/TcpConnect.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/FileDescriptor.h"

namespace net {
namespace {

bool ConnectionEstablished(int descriptor) {
    int error = 0;
    socklen_t length = sizeof(error);
    return getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

}  // namespace

bool TestTcpConnect(const std::string& address, int port, const EventPump& pump,
                    std::chrono::milliseconds timeout) {
    try {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        const bool usableAddress = address.find('\0') == std::string::npos &&
                                   inet_pton(AF_INET, address.c_str(), &target.sin_addr) == 1;
        const bool usablePort = port >= 1 && port <= 65535;
        target.sin_port = htons(static_cast<std::uint16_t>(usablePort ? port : 0));

        const base::FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        // The caller's status text gets painted here, before the attempt starts waiting.
        if (!PumpEvents(pump) || !socket.valid() || !usableAddress || !usablePort) {
            return false;
        }

        if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof(target)) == 0) {
            return true;
        }
        if (errno != EINPROGRESS && errno != EINTR) {
            return false;
        }

        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + timeout;
        for (;;) {
            const auto remaining =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (remaining.count() <= 0) {
                return false;
            }
            const auto slice = std::min(remaining, kPumpInterval);
            pollfd watched{socket.get(), POLLOUT, 0};
            const int ready = ::poll(&watched, 1, static_cast<int>(std::max<long long>(slice.count(), 1)));
            if (ready > 0) {
                return ConnectionEstablished(socket.get());
            }
            if (ready < 0 && errno != EINTR) {
                return false;
            }
            if (!PumpEvents(pump)) {
                return false;
            }
        }
    } catch (...) {
        return false;
    }
}

}  // namespace net
