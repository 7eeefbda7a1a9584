#pragma once

// Address look-ups on the local resolver. Both return dotted-decimal IPv4 text, or empty text when
// nothing is found; neither reports an error in any other way.

#include <string>
#include <vector>

#include "net/EventPump.h"

namespace net {

// Where names and the computer's own addresses come from. The functions below take one, the system's
// by default; tests pass their own to give a name several addresses.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // The IPv4 addresses of `name` in the resolver's order (dotted decimal), empty when the name has
    // no entry.
    virtual std::vector<std::string> Resolve(const std::string& name) = 0;
    // The computer's host name, or empty when it cannot be read into 64 bytes.
    virtual std::string HostName() = 0;
    // IPv4 addresses of the interfaces that are up and not loopback, in their order.
    virtual std::vector<std::string> InterfaceAddresses() = 0;
};

// The system's resolver (getaddrinfo restricted to IPv4, gethostname, getifaddrs; on Windows
// GetAddrInfoW, GetHostNameW and GetAdaptersAddresses).
HostResolver& SystemResolver();

// The computer's own address: the first address of its host name that is not in 127.0.0.0/8; when
// the name has entries but only loopback ones, the first address of an interface that is up and not
// loopback (and when there is no such interface, the name's first address after all); empty when the
// host name has no entry or cannot be read into 64 bytes.
std::string GetLocalIP(HostResolver& resolver = SystemResolver());

// The last address of `name`'s address list (a dotted address gives itself); empty for an empty
// name, a name that cannot be resolved or any error. Handles pending events once before resolving;
// when `pump` returns false nothing is resolved and the result is empty.
std::string ResolveHostIP(const std::string& name, const EventPump& pump = {},
                          HostResolver& resolver = SystemResolver());

}  // namespace net
