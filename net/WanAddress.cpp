#include "net/WanAddress.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "net/HttpGet.h"

namespace net {

std::vector<std::string> WanIpUrls() {
    std::vector<std::string> urls;
    const char* value = std::getenv(kWanIpUrlVariable);
    const std::string_view list = value != nullptr ? value : "";
    constexpr std::string_view kBlanks = " \t\r\n";
    for (std::size_t start = list.find_first_not_of(kBlanks); start != std::string_view::npos;) {
        const std::size_t end = list.find_first_of(kBlanks, start);
        urls.emplace_back(list.substr(start, end - start));
        start = list.find_first_not_of(kBlanks, end);
    }
    if (urls.empty()) {
        urls.assign(kDefaultWanIpUrls.begin(), kDefaultWanIpUrls.end());
    }
    return urls;
}

std::string GetWanIPFrom(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout) {
    const HttpReply reply = HttpGet(url, pump, timeout);
    if (reply.status < 200 || reply.status > 299) {
        throw WanRequestError("The service answered with HTTP status " + std::to_string(reply.status));
    }
    std::optional<std::string> address = AddressInReply(reply.body);
    if (!address) {
        throw WanRequestError("The reply holds no IPv4 address");
    }
    return std::move(*address);
}

std::string GetWanIPFromServices(const std::vector<std::string>& urls, const EventPump& pump,
                                 std::chrono::milliseconds budget) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + budget;
    std::string lastFailure = urls.empty() ? "no IP-echo service is configured" : "no time was left";
    for (std::size_t i = 0; i < urls.size(); ++i) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            break;
        }
        // At least 1 ms: libcurl reads a time-out of 0 as none at all.
        const auto share = std::max(left / static_cast<long>(urls.size() - i), std::chrono::milliseconds(1));
        try {
            return GetWanIPFrom(urls[i], pump, share);
        } catch (const WanRequestAbandoned&) {
            throw;
        } catch (const WanRequestError& error) {
            lastFailure = urls[i] + ": " + error.what();
        }
    }
    throw WanRequestError("No service gave the public address. Last failure: " + lastFailure);
}

std::string GetWanIP(const EventPump& pump) {
    return GetWanIPFromServices(WanIpUrls(), pump, kRequestTimeout);
}

}  // namespace net
