#pragma once

// "Obtain IP": the computer's public IPv4 address as public IP-echo services report it.

#include <array>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "net/EventPump.h"
#include "net/WanReply.h"

namespace net {

// A request that could not be carried out (no network, unknown host, time-out ...). what() says why.
class WanRequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The pump asked to stop while the request was running; nothing is to be shown.
class WanRequestAbandoned : public WanRequestError {
public:
    using WanRequestError::WanRequestError;
};

// Environment variable that replaces the list of IP-echo services: one URL or several separated by
// blanks, asked in that order (tests point it at loopback servers).
inline constexpr const char* kWanIpUrlVariable = "DTUSMS_WAN_IP_URL";
// Public services that answer a plain GET with the caller's address as plain text, asked in turn.
inline constexpr std::array<std::string_view, 3> kDefaultWanIpUrls{
    "https://api.ipify.org",
    "https://checkip.amazonaws.com",
    "https://icanhazip.com",
};
inline constexpr std::size_t kMaxReplyBytes = std::size_t{64} * 1024;
// The whole look-up, all services together.
inline constexpr std::chrono::milliseconds kRequestTimeout{15'000};

// The services GetWanIP asks: the words of the variable's value when it holds any, else
// kDefaultWanIpUrls. Proxies named by the usual variables (http_proxy, ...) apply, except to
// loopback addresses.
std::vector<std::string> WanIpUrls();

// The public address: GetWanIPFromServices(WanIpUrls(), pump, kRequestTimeout).
std::string GetWanIP(const EventPump& pump = {});

// Asks the services at `urls` in turn, each with GetWanIPFrom, until one gives an address, and
// returns it. Each service gets an equal share of what is left of `budget` (what is left divided by
// the number of services still to ask), so a slow service cannot use up the time of the ones after
// it, and one that fails quickly leaves its time to them. Throws WanRequestAbandoned at once when the
// pump asks to stop, and WanRequestError naming the last service asked and its failure when none
// gave an address.
std::string GetWanIPFromServices(const std::vector<std::string>& urls, const EventPump& pump,
                                 std::chrono::milliseconds budget);

// One synchronous HTTP GET of `url` over IPv4, ended after `timeout` (the connect phase gets at most
// 10 s of it); the address read from the body by AddressInReply. A reply longer than 64 KiB is cut
// off there and read, not reported as an error. While it waits, `pump` runs at least every 100 ms; a
// pump that returns false abandons the request (WanRequestAbandoned). Throws WanRequestError saying
// why when the request fails or times out, the final status is not 2xx, or the body holds no
// address.
std::string GetWanIPFrom(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout);

}  // namespace net
