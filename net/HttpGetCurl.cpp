#include "net/HttpGet.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include <curl/curl.h>

#include "net/CurlLibrary.h"
#include "net/WanAddress.h"

namespace net {
namespace {

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

// What a transfer writes into while it runs: the reply and libcurl's detailed error text.
struct Transfer {
    ReplyBuffer reply;
    std::array<char, CURL_ERROR_SIZE> errorDetail{};
};

// Sets every option of the request. `noProxy` and `transfer` must outlive it.
void Configure(CURL* handle, const std::string& url, std::chrono::milliseconds timeout,
               const std::string& noProxy, Transfer& transfer) {
    const CurlLibrary& curl = LoadedCurl();
    Check(curl.easy_setopt(handle, CURLOPT_URL, url.c_str()), "URL");
    Check(curl.easy_setopt(handle, CURLOPT_HTTPGET, 1L), "method");
    Check(curl.easy_setopt(handle, CURLOPT_WRITEFUNCTION, &StoreBody), "body");
    Check(curl.easy_setopt(handle, CURLOPT_WRITEDATA, &transfer.reply), "body");
    Check(curl.easy_setopt(handle, CURLOPT_ERRORBUFFER, transfer.errorDetail.data()), "errors");
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
    // The address goes to a DTU, which takes IPv4 only; over IPv6 a service would echo that address.
    Check(curl.easy_setopt(handle, CURLOPT_IPRESOLVE, static_cast<long>(CURL_IPRESOLVE_V4)), "IPv4");
}

// Lets the transfer of `easy` advance without waiting; its result once it has ended, nullopt while it
// runs. Throws WanRequestError when the transfer can no longer end with a result.
std::optional<CURLcode> Perform(CURLM* multi, CURL* easy) {
    const CurlLibrary& curl = LoadedCurl();
    int running = 0;
    if (curl.multi_perform(multi, &running) != CURLM_OK) {
        throw WanRequestError("The HTTP request failed.");
    }
    int queued = 0;
    while (CURLMsg* message = curl.multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            return message->data.result;
        }
    }
    if (running == 0) {
        throw WanRequestError("The HTTP request ended without a result.");
    }
    return std::nullopt;
}

}  // namespace

HttpReply HttpGet(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout) {
    const CurlLibrary& curl = LoadedCurl();
    std::unique_ptr<CURL, EasyDeleter> easy(curl.easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl.multi_init());
    if (!easy || !multi) {
        throw WanRequestError("Could not create the HTTP request.");
    }
    Transfer transfer;
    const std::string noProxy = NoProxyList();
    Configure(easy.get(), url, timeout, noProxy, transfer);

    if (curl.multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
        throw WanRequestError("Could not start the HTTP request.");
    }
    // The easy handle must leave the multi handle before either is cleaned up, on every path.
    struct Detach {
        CURLM* multi;
        CURL* easy;
        Detach(CURLM* multiHandle, CURL* easyHandle) : multi(multiHandle), easy(easyHandle) {}
        Detach(const Detach&) = delete;
        Detach& operator=(const Detach&) = delete;
        ~Detach() { LoadedCurl().multi_remove_handle(multi, easy); }
    } detach{multi.get(), easy.get()};

    for (;;) {
        if (const std::optional<CURLcode> code = Perform(multi.get(), easy.get())) {
            if (*code != CURLE_OK && !(*code == CURLE_WRITE_ERROR && transfer.reply.capped)) {
                throw WanRequestError(ErrorText(*code, transfer.errorDetail.data()));
            }
            HttpReply reply;
            if (curl.easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &reply.status) != CURLE_OK) {
                reply.status = 0;
            }
            reply.body = std::move(transfer.reply.body);
            return reply;
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

}  // namespace net
