#pragma once

// One HTTP GET, the transport behind "Obtain IP": libcurl, loaded at the first request, on POSIX
// (HttpGetCurl.cpp); WinHTTP, part of every Windows, on Windows (HttpGetWinHttp.cpp).

#include <chrono>
#include <string>

#include "net/EventPump.h"

namespace net {

// The body of the reply to a GET of `url` (http or https; redirects followed, at most 5), of which at
// most kMaxReplyBytes (net/WanAddress.h) are read: a longer reply is cut there, which is no error.
// The HTTP status is not examined. Proxies named by the usual variables (http_proxy, https_proxy,
// no_proxy, ...) apply, except to loopback addresses, which never go through a proxy. While it waits,
// `pump` runs at least every 100 ms; a pump that returns false abandons the request
// (WanRequestAbandoned). Throws WanRequestError when the request cannot be made, fails, or takes
// longer than `timeout` (the connect phase gets at most 10 s of it).
std::string HttpGetBody(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout);

}  // namespace net
