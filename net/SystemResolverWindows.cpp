#include "net/AddressLookup.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <winsock2.h>
#include <ws2tcpip.h>
// After the socket headers, whose types it uses.
#include <iphlpapi.h>

#include "base/WideText.h"
#include "net/DottedAddress.h"

namespace net {
namespace {

constexpr std::size_t kHostNameBufferSize = 64;

// The adapters' IPv4 view, in the system's order; empty when the system gives none.
std::vector<unsigned char> AdapterList() {
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the call that sizes it and the one that fills it.
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<unsigned char> buffer(size);
        const ULONG result = ::GetAdaptersAddresses(
            AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
        if (result == ERROR_SUCCESS) {
            return buffer;
        }
        if (result != ERROR_BUFFER_OVERFLOW) {
            break;
        }
    }
    return {};
}

// Windows' resolver: GetAddrInfoW restricted to IPv4 (names in UTF-8 become UTF-16, so international
// names resolve too), GetHostNameW, and GetAdaptersAddresses for the interfaces.
class WindowsResolver final : public HostResolver {
public:
    std::vector<std::string> Resolve(const std::string& name) override {
        const std::wstring wide = base::ToWide(name);
        if (wide.empty() || !StartSockets()) {
            return {};
        }
        ADDRINFOW hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        ADDRINFOW* list = nullptr;
        if (::GetAddrInfoW(wide.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
            return {};
        }
        std::unique_ptr<ADDRINFOW, decltype(&::FreeAddrInfoW)> owner(list, &::FreeAddrInfoW);

        std::vector<std::string> addresses;
        for (const ADDRINFOW* entry = list; entry != nullptr; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) {
                continue;
            }
            std::string text = DottedText(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
            // The same address can come once per socket type or protocol; the list keeps one of each.
            if (!text.empty() && std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
                addresses.push_back(std::move(text));
            }
        }
        return addresses;
    }

    std::string HostName() override {
        if (!StartSockets()) {
            return {};
        }
        wchar_t buffer[256] = {};
        if (::GetHostNameW(buffer, 256) != 0) {
            return {};
        }
        const std::string name = base::ToUtf8(buffer);
        return name.size() < kHostNameBufferSize ? name : std::string();
    }

    std::vector<std::string> InterfaceAddresses() override {
        const std::vector<unsigned char> buffer = AdapterList();
        std::vector<std::string> addresses;
        if (buffer.empty()) {
            return addresses;
        }
        for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
             adapter = adapter->Next) {
            if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
                continue;
            }
            for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
                 unicast = unicast->Next) {
                const sockaddr* address = unicast->Address.lpSockaddr;
                if (address == nullptr || address->sa_family != AF_INET) {
                    continue;
                }
                std::string text = DottedText(reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
                if (!text.empty() && !IsLoopback(text)) {
                    addresses.push_back(std::move(text));
                }
            }
        }
        return addresses;
    }
};

}  // namespace

HostResolver& SystemResolver() {
    static WindowsResolver resolver;
    return resolver;
}

}  // namespace net
