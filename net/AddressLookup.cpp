#include "net/AddressLookup.h"

#include "net/DottedAddress.h"

namespace net {

std::string GetLocalIP(HostResolver& resolver) {
    try {
        const std::string hostName = resolver.HostName();
        if (hostName.empty()) {
            return {};
        }
        const std::vector<std::string> addresses = resolver.Resolve(hostName);
        if (addresses.empty()) {
            return {};
        }
        // Many Linux systems list only a loopback address (127.0.1.1 on Debian) for the host name,
        // which no peer could use to reach this computer.
        for (const std::string& address : addresses) {
            if (!IsLoopback(address)) {
                return address;
            }
        }
        const std::vector<std::string> interfaces = resolver.InterfaceAddresses();
        // Without a usable interface the loopback address is still the host name's answer.
        return interfaces.empty() ? addresses.front() : interfaces.front();
    } catch (...) {
        return {};
    }
}

std::string ResolveHostIP(const std::string& name, const EventPump& pump, HostResolver& resolver) {
    try {
        if (!PumpEvents(pump)) {
            return {};
        }
        const std::vector<std::string> addresses = resolver.Resolve(name);
        return addresses.empty() ? std::string{} : addresses.back();
    } catch (...) {
        return {};
    }
}

}  // namespace net
