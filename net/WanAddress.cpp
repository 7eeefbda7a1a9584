#include "net/WanAddress.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <curl/curl.h>

#include "net/CurlLibrary.h"

namespace net {
namespace {

// Any page that answers a plain GET with the caller's address as the first text of its first <h2>.
constexpr const char* kDefaultWanIpUrl = "http://ipecho.dtusms.net/static/customercare/yourIP.asp";
constexpr std::chrono::milliseconds kConnectPhaseTimeout{10'000};
constexpr long kMaxRedirects = 5;
constexpr std::chrono::milliseconds kPumpWait{100};

struct EasyDeleter {
    void operator()(CURL* easy) const { LoadedCurl().easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { LoadedCurl().multi_cleanup(multi); }
};

struct ReplyBuffer {
    std::string body;
    bool capped = false;
};

size_t StoreBody(char* data, size_t size, size_t count, void* userData) {
    auto* reply = static_cast<ReplyBuffer*>(userData);
    const size_t bytes = size * count;
    const size_t room = kMaxReplyBytes - reply->body.size();
    if (bytes > room) {
        reply->body.append(data, room);
        reply->capped = true;
        // Returning less than was offered ends the transfer: the rest of an oversized reply is
        // never read, and the address sits near the top of the page anyway.
        return room;
    }
    reply->body.append(data, bytes);
    return bytes;
}

// Proxies set in the environment still apply (a field engineer behind a company proxy needs them to
// reach the echo page), but a loopback address is never sent through one. Setting CURLOPT_NOPROXY
// replaces the environment's list, so that list is carried over.
std::string NoProxyList() {
    std::string list = "127.0.0.1,localhost,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            list += ',';
            list += value;
            break;
        }
    }
    return list;
}

std::string ErrorText(CURLcode code, const char* detail) {
    std::string text = LoadedCurl().easy_strerror(code);
    if (detail != nullptr && *detail != '\0') {
        text += ": ";
        text += detail;
    }
    return text;
}

void Check(CURLcode code, const char* what) {
    if (code != CURLE_OK) {
        throw WanRequestError(std::string("Could not prepare the request (") + what +
                              "): " + LoadedCurl().easy_strerror(code));
    }
}

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
    const CurlLibrary& curl = LoadedCurl();
    std::unique_ptr<CURL, EasyDeleter> easy(curl.easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl.multi_init());
    if (!easy || !multi) {
        throw WanRequestError("Could not create the HTTP request.");
    }

    ReplyBuffer reply;
    char errorDetail[CURL_ERROR_SIZE] = {};
    const std::string noProxy = NoProxyList();
    CURL* handle = easy.get();
    Check(curl.easy_setopt(handle, CURLOPT_URL, url.c_str()), "URL");
    Check(curl.easy_setopt(handle, CURLOPT_HTTPGET, 1L), "method");
    Check(curl.easy_setopt(handle, CURLOPT_WRITEFUNCTION, &StoreBody), "body");
    Check(curl.easy_setopt(handle, CURLOPT_WRITEDATA, &reply), "body");
    Check(curl.easy_setopt(handle, CURLOPT_ERRORBUFFER, errorDetail), "errors");
    Check(curl.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L), "signals");
    Check(curl.easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count())), "time-out");
    Check(curl.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                           static_cast<long>(std::min(timeout, kConnectPhaseTimeout).count())),
          "time-out");
    Check(curl.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L), "redirects");
    Check(curl.easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects), "redirects");
    Check(curl.easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https"), "protocols");
    Check(curl.easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"), "protocols");
    Check(curl.easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str()), "proxy");

    if (curl.multi_add_handle(multi.get(), handle) != CURLM_OK) {
        throw WanRequestError("Could not start the HTTP request.");
    }
    // The easy handle must leave the multi handle before either is cleaned up, on every path.
    struct Detach {
        CURLM* multi;
        CURL* easy;
        ~Detach() { LoadedCurl().multi_remove_handle(multi, easy); }
    } detach{multi.get(), handle};

    for (;;) {
        int running = 0;
        if (curl.multi_perform(multi.get(), &running) != CURLM_OK) {
            throw WanRequestError("The HTTP request failed.");
        }
        int queued = 0;
        while (CURLMsg* message = curl.multi_info_read(multi.get(), &queued)) {
            if (message->msg != CURLMSG_DONE || message->easy_handle != handle) {
                continue;
            }
            const CURLcode code = message->data.result;
            if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && reply.capped)) {
                throw WanRequestError(ErrorText(code, errorDetail));
            }
            return CutH2Address(reply.body);
        }
        if (running == 0) {
            throw WanRequestError("The HTTP request ended without a result.");
        }
        if (curl.multi_poll(multi.get(), nullptr, 0, static_cast<int>(kPumpWait.count()), nullptr) !=
            CURLM_OK) {
            throw WanRequestError("The HTTP request failed while waiting for the reply.");
        }
        if (!PumpEvents(pump)) {
            throw WanRequestAbandoned("The request for the public address was abandoned.");
        }
    }
}

std::string GetWanIP(const EventPump& pump) {
    return GetWanIPFrom(WanIpUrl(), pump, kRequestTimeout);
}

}  // namespace net
