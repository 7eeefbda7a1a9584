#pragma once

// One HTTP GET, the transport behind "Obtain IP": libcurl, loaded at the first request, on POSIX
// (HttpGetCurl.cpp); WinHTTP, part of every Windows, on Windows (HttpGetWinHttp.cpp).

#include <chrono>
#include <string>

#include "net/EventPump.h"

namespace net {

// The final reply to a GET of `url`.
struct HttpReply {
    long status = 0;   // the HTTP status of the last reply, after redirects
    std::string body;  // at most kMaxReplyBytes (net/WanAddress.h)
};

// One GET of `url` over IPv4 where the transport allows the choice (http or https only; redirects
// followed, at most 5, to http or https only). At most kMaxReplyBytes of the body are read: a longer
// reply is cut there, which is no error. The status is returned, not judged. Proxies named by the usual
// variables (http_proxy, https_proxy, no_proxy, ...) apply, except to loopback addresses, which never go
// through a proxy. While it waits, `pump` runs at least every 100 ms; a pump that returns false abandons the
// request (WanRequestAbandoned). Throws WanRequestError when the request cannot be made, fails, or takes
// longer than `timeout` (the connect phase gets at most 10 s of it).
HttpReply HttpGet(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout);

}  // namespace net
