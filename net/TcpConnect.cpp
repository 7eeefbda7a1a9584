#include "net/TcpConnect.h"

#include <algorithm>
#include <cstdint>

#include "net/SocketApi.h"

namespace net {
namespace {

ConnectOutcome Failed(int error) {
    if (ClassifySocketError(error) == SocketFault::Refused) {
        return {ConnectFailure::Refused, {}};
    }
    return {ConnectFailure::Other, error != 0 ? SocketErrorText(error) : std::string()};
}

}  // namespace

ConnectOutcome AttemptTcpConnect(const std::string& address, int port, const EventPump& pump,
                                 std::chrono::milliseconds timeout) {
    try {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        const bool usableAddress = address.find('\0') == std::string::npos &&
                                   inet_pton(AF_INET, address.c_str(), &target.sin_addr) == 1;
        const bool usablePort = port >= 1 && port <= 65535;
        target.sin_port = htons(static_cast<std::uint16_t>(usablePort ? port : 0));

        const OwnedSocket socket(OpenSocket(AF_INET, SOCK_STREAM));
        const int openError = socket.valid() ? 0 : LastSocketError();
        // The caller's status text gets painted here, before the attempt starts waiting.
        if (!PumpEvents(pump)) {
            return {ConnectFailure::Abandoned, {}};
        }
        if (!usablePort) {
            return {ConnectFailure::PortOutOfRange, {}};
        }
        if (!usableAddress) {
            return {ConnectFailure::NoAddress, {}};
        }
        if (!socket.valid()) {
            return Failed(openError);
        }

        if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof(target)) == 0) {
            return {ConnectFailure::None, {}};
        }
        const int connectError = LastSocketError();
        const SocketFault fault = ClassifySocketError(connectError);
        if (fault != SocketFault::WouldBlock && fault != SocketFault::Interrupted) {
            return Failed(connectError);
        }

        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + timeout;
        for (;;) {
            const auto remaining =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (remaining.count() <= 0) {
                return {ConnectFailure::TimedOut, {}};
            }
            const auto slice = std::min(remaining, kPumpInterval);
            int error = 0;
            const ConnectState state = WaitForConnection(
                socket.get(), static_cast<int>(std::max<long long>(slice.count(), 1)), &error);
            if (state == ConnectState::Connected) {
                return {ConnectFailure::None, {}};
            }
            if (state == ConnectState::Failed) {
                return Failed(error);
            }
            if (!PumpEvents(pump)) {
                return {ConnectFailure::Abandoned, {}};
            }
        }
    } catch (...) {
        return {ConnectFailure::Other, {}};
    }
}

bool TestTcpConnect(const std::string& address, int port, const EventPump& pump,
                    std::chrono::milliseconds timeout) {
    return AttemptTcpConnect(address, port, pump, timeout).failure == ConnectFailure::None;
}

}  // namespace net
