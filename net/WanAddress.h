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
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;
inline constexpr std::chrono::milliseconds kRequestTimeout{15'000};

// The URL that GetWanIP requests: the variable's value when set and not empty, else the built-in one.
std::string WanIpUrl();

// The text of the first <h2> element cut by position (lower-case markers only), then cut at its
// first comma. Nothing is trimmed.
std::string CutH2Address(std::string_view body);

// One synchronous HTTP GET of WanIpUrl(); the body (at most 64 KiB) goes through CutH2Address.
// The HTTP status is not examined. While it waits, `pump` runs at least every 100 ms; a pump that
// returns false abandons the request (WanRequestAbandoned). Throws WanRequestError when the request
// fails or takes longer than 15 s.
std::string GetWanIP(const EventPump& pump = {});

}  // namespace net
