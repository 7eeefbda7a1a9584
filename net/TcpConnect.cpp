#include "net/TcpConnect.h"

#include <algorithm>
#include <cstdint>

#include "net/SocketApi.h"

namespace net {

bool TestTcpConnect(const std::string& address, int port, const EventPump& pump,
                    std::chrono::milliseconds timeout) {
    try {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        const bool usableAddress = address.find('\0') == std::string::npos &&
                                   inet_pton(AF_INET, address.c_str(), &target.sin_addr) == 1;
        const bool usablePort = port >= 1 && port <= 65535;
        target.sin_port = htons(static_cast<std::uint16_t>(usablePort ? port : 0));

        const OwnedSocket socket(OpenSocket(AF_INET, SOCK_STREAM));
        // The caller's status text gets painted here, before the attempt starts waiting.
        if (!PumpEvents(pump) || !socket.valid() || !usableAddress || !usablePort) {
            return false;
        }

        if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof(target)) == 0) {
            return true;
        }
        const SocketFault fault = ClassifySocketError(LastSocketError());
        if (fault != SocketFault::WouldBlock && fault != SocketFault::Interrupted) {
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
            const ConnectState state =
                WaitForConnection(socket.get(), static_cast<int>(std::max<long long>(slice.count(), 1)));
            if (state != ConnectState::Pending) {
                return state == ConnectState::Connected;
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
