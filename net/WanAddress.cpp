#include "net/WanAddress.h"

#include <cstdlib>

#include "net/HttpGet.h"

namespace net {
namespace {

// Any page that answers a plain GET with the caller's address as the first text of its first <h2>.
constexpr const char* kDefaultWanIpUrl = "http://ipecho.dtusms.net/static/customercare/yourIP.asp";

}  // namespace

std::string WanIpUrl() {
    const char* overridden = std::getenv(kWanIpUrlVariable);
    return overridden != nullptr && *overridden != '\0' ? std::string(overridden) : kDefaultWanIpUrl;
}

std::string CutH2Address(std::string_view body) {
    // Positions are 1-based with 0 for "not found", so that a missing "<h2>" starts the element at
    // the body's fourth character and a "</h2>" before "<h2>" gives a negative, hence empty, length.
    const auto position = [&body](std::string_view marker) -> long long {
        const std::size_t found = body.find(marker);
        return found == std::string_view::npos ? 0 : static_cast<long long>(found) + 1;
    };
    const long long p = position("<h2>");
    const long long q = position("</h2>");
    const long long length = q - p - 4;
    if (length <= 0) {
        return {};
    }
    const std::string_view element =
        body.substr(static_cast<std::size_t>(p + 3), static_cast<std::size_t>(length));
    return std::string(element.substr(0, element.find(',')));
}

std::string GetWanIPFrom(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout) {
    return CutH2Address(HttpGetBody(url, pump, timeout));
}

std::string GetWanIP(const EventPump& pump) {
    return GetWanIPFrom(WanIpUrl(), pump, kRequestTimeout);
}

}  // namespace net
