#include "net/ProxyChoice.h"

#include "base/AsciiText.h"

namespace net {
namespace {

std::string_view Variable(const EnvironmentLookup& environment, const char* name) {
    const char* value = environment ? environment(name) : nullptr;
    return value != nullptr ? std::string_view(value) : std::string_view();
}

std::string_view FirstSet(const EnvironmentLookup& environment, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (const std::string_view value = Variable(environment, name); !value.empty()) {
            return value;
        }
    }
    return {};
}

bool NamedByNoProxy(std::string_view host, std::string_view list) {
    list = base::TrimBlanks(list);
    if (list == "*") {
        return true;
    }
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view entry = base::TrimBlanks(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (entry.starts_with('.')) {
            entry.remove_prefix(1);
        }
        if (entry.empty() || entry.size() > host.size()) {
            continue;
        }
        const std::string_view tail = host.substr(host.size() - entry.size());
        const bool atBoundary = host.size() == entry.size() || host[host.size() - entry.size() - 1] == '.';
        if (atBoundary && base::EqualsIgnoringAsciiCase(tail, entry)) {
            return true;
        }
    }
    return false;
}

std::string ProxyAddress(std::string_view value) {
    if (value.size() >= 7 && base::EqualsIgnoringAsciiCase(value.substr(0, 7), "http://")) {
        value.remove_prefix(7);
    }
    while (value.ends_with('/')) {
        value.remove_suffix(1);
    }
    return std::string(value);
}

bool IsLoopbackIpv4(std::string_view host) {
    // Four decimal parts of at most three digits, the first one 127.
    int parts = 0;
    int first = -1;
    while (!host.empty()) {
        const std::size_t dot = host.find('.');
        const std::string_view part = host.substr(0, dot);
        if (part.empty() || part.size() > 3 ||
            part.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
        const int value = std::stoi(std::string(part));
        if (value > 255) {
            return false;
        }
        first = parts == 0 ? value : first;
        ++parts;
        host = dot == std::string_view::npos ? std::string_view() : host.substr(dot + 1);
        if (dot != std::string_view::npos && host.empty()) {
            return false;
        }
    }
    return parts == 4 && first == 127;
}

}  // namespace

bool IsLoopbackHost(std::string_view host) {
    if (host.starts_with('[') && host.ends_with(']')) {
        host = host.substr(1, host.size() - 2);
    }
    return base::EqualsIgnoringAsciiCase(host, "localhost") || host == "::1" || IsLoopbackIpv4(host);
}

ProxyChoice ChooseProxy(std::string_view scheme, std::string_view host,
                        const EnvironmentLookup& environment) {
    if (IsLoopbackHost(host) || NamedByNoProxy(host, FirstSet(environment, {"no_proxy", "NO_PROXY"}))) {
        return {ProxyChoice::Kind::Direct, {}};
    }
    const bool https = base::EqualsIgnoringAsciiCase(scheme, "https");
    std::string_view proxy =
        https ? FirstSet(environment, {"https_proxy", "HTTPS_PROXY"}) : FirstSet(environment, {"http_proxy"});
    if (proxy.empty()) {
        proxy = FirstSet(environment, {"all_proxy", "ALL_PROXY"});
    }
    if (proxy.empty()) {
        return {ProxyChoice::Kind::System, {}};
    }
    return {ProxyChoice::Kind::Named, ProxyAddress(proxy)};
}

}  // namespace net
