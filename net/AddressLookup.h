#pragma once

// Address look-ups on the local resolver. Both return dotted-decimal IPv4 text, or empty text when
// nothing is found; neither reports an error in any other way.

#include <string>
#include <vector>

#include "net/EventPump.h"

namespace net {

// The resolver seam: the IPv4 addresses of `name` in the resolver's order (dotted decimal), empty
// when the name has no entry. Tests install their own to give a name several addresses.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    virtual std::vector<std::string> Resolve(const std::string& name) = 0;
    // The computer's host name, or empty when it cannot be read into 64 bytes.
    virtual std::string HostName() = 0;
    // IPv4 addresses of the interfaces that are up and not loopback, in their order.
    virtual std::vector<std::string> InterfaceAddresses() = 0;
};

// The system's resolver (getaddrinfo restricted to IPv4, gethostname, getifaddrs).
HostResolver& SystemResolver();

// Replaces the resolver used by GetLocalIP and ResolveHostIP; nullptr restores the system's.
// Returns the previous one. For tests.
HostResolver* SetResolverForTesting(HostResolver* resolver);

// The computer's own address: the first address of its host name that is not in 127.0.0.0/8; when
// the name has entries but only loopback ones, the first address of an interface that is up and not
// loopback (and when there is no such interface, the name's first address after all); empty when the
// host name has no entry or cannot be read into 64 bytes.
std::string GetLocalIP();

// The last address of `name`'s address list (a dotted address gives itself); empty for an empty
// name, a name that cannot be resolved or any error. Handles pending events once before resolving;
// when `pump` returns false nothing is resolved and the result is empty.
std::string ResolveHostIP(const std::string& name, const EventPump& pump = {});

}  // namespace net
