#pragma once

// Which proxy an HTTP request goes through, decided by the rules that libcurl applies to the usual
// variables, for a transport that does not read them itself (WinHTTP reads the system's settings).

#include <functional>
#include <string>
#include <string_view>

namespace net {

struct ProxyChoice {
    enum class Kind {
        Direct,  // no proxy: a loopback host, or one that no_proxy names
        Named,   // through `proxy` ("host:port"), from the variables
        System,  // no variable applies: the system's own proxy settings decide
    };
    Kind kind = Kind::System;
    std::string proxy;
};

// The value of an environment variable, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The proxy for a request with `scheme` ("http" or "https", any case) to `host` (a name, an IPv4
// address, or an IPv6 address with or without brackets):
// - a loopback host (localhost, 127.0.0.0/8, ::1) never goes through a proxy;
// - no_proxy (or NO_PROXY): "*" means no proxy at all; otherwise a comma-separated list of names,
//   each matching that host and its subdomains (a leading "." is dropped), ignoring ASCII case;
// - the proxy is http_proxy for http (lower case only, as libcurl reads it, since a CGI program gets
//   the request's Proxy header as HTTP_PROXY), https_proxy or HTTPS_PROXY for https, then all_proxy
//   or ALL_PROXY; an "http://" in front and a "/" at the end are dropped; an empty value is unset;
// - with none of them set, the system decides.
ProxyChoice ChooseProxy(std::string_view scheme, std::string_view host, const EnvironmentLookup& environment);

// True for localhost, an address in 127.0.0.0/8 and ::1 (in brackets or not).
bool IsLoopbackHost(std::string_view host);

}  // namespace net
