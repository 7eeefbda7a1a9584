// Fuzzes the cut of the public address out of the IP-echo reply against a reference model written
// straight from the position formula, with 1-based positions as the formula states them; and checks
// that whatever the reply, the address read from it is a dotted IPv4 address as the C library
// writes one, or nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <arpa/inet.h>

#include "net/WanAddress.h"

namespace {

// 1-based position of the first `marker` in `body`, 0 when it does not occur.
std::int64_t Position(std::string_view body, std::string_view marker) {
    const std::size_t at = body.find(marker);
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::string ReferenceCut(std::string_view body) {
    const std::int64_t p = Position(body, "<h2>");
    const std::int64_t q = Position(body, "</h2>");
    const std::int64_t count = q - p - 4;
    std::string element;
    if (count > 0) {
        const std::int64_t first = p + 4;  // 1-based
        for (std::int64_t i = first; i < first + count; ++i) {
            element += body[static_cast<std::size_t>(i - 1)];
        }
    }
    std::string result;
    for (const char c : element) {
        if (c == ',') {
            break;
        }
        result += c;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    if (net::CutH2Address(body) != ReferenceCut(body)) {
        std::abort();
    }
    if (const std::optional<std::string> address = net::AddressInReply(body)) {
        in_addr parsed{};
        char written[INET_ADDRSTRLEN] = {};
        if (::inet_pton(AF_INET, address->c_str(), &parsed) != 1 ||
            ::inet_ntop(AF_INET, &parsed, written, sizeof written) == nullptr || *address != written) {
            std::abort();
        }
    }
    return 0;
}
