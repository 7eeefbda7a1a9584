#include "net/AddressLookup.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include "net/DottedAddress.h"

namespace net {
namespace {

constexpr std::size_t kHostNameBufferSize = 64;

class PosixResolver final : public HostResolver {
public:
    std::vector<std::string> Resolve(const std::string& name) override {
        // A name with an embedded zero would be resolved as its prefix; that is not the name asked for.
        if (name.empty() || name.find('\0') != std::string::npos) {
            return {};
        }
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
            return {};
        }
        std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(list, &freeaddrinfo);

        std::vector<std::string> addresses;
        for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) {
                continue;
            }
            const auto* socketAddress = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            std::string text = DottedText(socketAddress->sin_addr);
            // The same address can come once per socket type or protocol; the list keeps one of each.
            if (!text.empty() && std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
                addresses.push_back(std::move(text));
            }
        }
        return addresses;
    }

    std::string HostName() override {
        std::array<char, kHostNameBufferSize + 1> buffer{};
        if (gethostname(buffer.data(), kHostNameBufferSize) != 0) {
            return {};
        }
        // POSIX leaves a truncated name unterminated; a name that fills the whole buffer did not fit.
        const std::size_t length = strnlen(buffer.data(), kHostNameBufferSize);
        if (length >= kHostNameBufferSize) {
            return {};
        }
        return {buffer.data(), length};
    }

    std::vector<std::string> InterfaceAddresses() override {
        ifaddrs* list = nullptr;
        if (getifaddrs(&list) != 0) {
            return {};
        }
        std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, &freeifaddrs);

        std::vector<std::string> addresses;
        for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
                continue;
            }
            if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) {
                continue;
            }
            std::string text = DottedText(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr);
            if (!text.empty() && !IsLoopback(text)) {
                addresses.push_back(std::move(text));
            }
        }
        return addresses;
    }
};

}  // namespace

HostResolver& SystemResolver() {
    static PosixResolver resolver;
    return resolver;
}

}  // namespace net
