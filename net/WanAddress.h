#pragma once

// "Obtain IP": the computer's public address as a public IP-echo page reports it.

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "net/EventPump.h"

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

// Environment variable that replaces the IP-echo URL (tests point it at a loopback server).
inline constexpr const char* kWanIpUrlVariable = "DTUSMS_WAN_IP_URL";
inline constexpr std::size_t kMaxReplyBytes = std::size_t{64} * 1024;
inline constexpr std::chrono::milliseconds kRequestTimeout{15'000};

// The URL that GetWanIP requests: the variable's value when set and not empty, else the built-in one.
// Proxies named by the usual variables (http_proxy, ...) apply, except to loopback addresses.
std::string WanIpUrl();

// The text of the first <h2> element cut by position (lower-case markers only), then cut at its
// first comma. Nothing is trimmed. With p and q the 1-based positions of the first "<h2>" and the
// first "</h2>" (0 when missing), the element is the q-p-4 characters from position p+4, empty when
// that count is not positive: so a body without "</h2>" gives empty text, and a body with "</h2>"
// but no "<h2>" gives the text from its fourth character up to "</h2>".
std::string CutH2Address(std::string_view body);

// One synchronous HTTP GET of WanIpUrl(); the body (at most 64 KiB) goes through CutH2Address.
// The HTTP status is not examined. While it waits, `pump` runs at least every 100 ms; a pump that
// returns false abandons the request (WanRequestAbandoned). Throws WanRequestError when the request
// fails or takes longer than 15 s.
std::string GetWanIP(const EventPump& pump = {});

// GetWanIP on a given URL with a given overall time-out (the connect phase gets at most 10 s of it).
// A reply longer than 64 KiB is cut off there and parsed, not reported as an error.
std::string GetWanIPFrom(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout);

}  // namespace net
