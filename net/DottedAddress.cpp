#include "net/DottedAddress.h"

#include <array>

namespace net {

std::string DottedText(const in_addr& address) {
    std::array<char, INET_ADDRSTRLEN> text{};
    if (inet_ntop(AF_INET, &address, text.data(), text.size()) == nullptr) {
        return {};
    }
    return text.data();
}

bool IsLoopback(const std::string& dotted) {
    in_addr address{};
    return inet_pton(AF_INET, dotted.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

}  // namespace net
