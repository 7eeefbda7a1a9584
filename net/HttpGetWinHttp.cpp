#include "net/HttpGet.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include <windows.h>
#include <winhttp.h>

#include "base/WideText.h"
#include "net/ProxyChoice.h"
#include "net/WanAddress.h"

namespace net {
namespace {

constexpr std::chrono::milliseconds kConnectPhaseTimeout{10'000};
constexpr DWORD kMaxRedirects = 5;
constexpr std::chrono::milliseconds kPumpWait{100};

struct InternetCloser {
    void operator()(HINTERNET handle) const { ::WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

// What the request needs, taken apart and checked before a thread is started.
struct Target {
    std::wstring host;
    std::wstring pathAndQuery;
    INTERNET_PORT port = 0;
    bool secure = false;
    ProxyChoice proxy;
};

// The request's state, shared by the waiting caller and the thread that carries the request out.
// The thread may outlive the call: a caller that stops waiting (time-out, abandoned) only says so,
// and the thread ends at its next step, or when WinHTTP's own time-outs end the step it is in.
struct Exchange {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool stopped = false;
    std::string body;
    std::string error;  // empty when the request succeeded
};

// The wording libcurl gives the same faults, so that a user sees one text on every system; other
// codes get the system's own text.
std::string FailureText(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_TIMEOUT:
            return "Timeout was reached";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return "Couldn't resolve host name";
        case ERROR_WINHTTP_CANNOT_CONNECT:
            return "Couldn't connect to server";
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return "Failure when receiving data from the peer";
        case ERROR_WINHTTP_SECURE_FAILURE:
            return "SSL connect error";
        case ERROR_WINHTTP_REDIRECT_FAILED:
            return "Number of redirects hit maximum amount";
        default:
            return "The HTTP request failed: " + base::SystemErrorText(error, L"winhttp.dll") + " (error " +
                   std::to_string(error) + ")";
    }
}

Target ParseUrl(const std::string& url) {
    const std::wstring wide = base::ToWide(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (wide.empty() || !::WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) {
        const DWORD error = ::GetLastError();
        throw WanRequestError(error == ERROR_WINHTTP_UNRECOGNIZED_SCHEME
                                  ? "Unsupported protocol"
                                  : "URL using bad/illegal format or missing URL");
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        throw WanRequestError("Unsupported protocol");
    }
    Target target;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.host.empty()) {
        throw WanRequestError("URL using bad/illegal format or missing URL");
    }
    if (target.pathAndQuery.empty()) {
        target.pathAndQuery = L"/";
    }
    target.proxy = ChooseProxy(target.secure ? "https" : "http", base::ToUtf8(target.host),
                               [](const char* name) -> const char* { return std::getenv(name); });
    return target;
}

HINTERNET OpenSession(const ProxyChoice& proxy) {
    const wchar_t* agent = L"dtusms";
    if (proxy.kind == ProxyChoice::Kind::Direct) {
        return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (proxy.kind == ProxyChoice::Kind::Named) {
        const std::wstring name = base::ToWide(proxy.proxy);
        return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, name.c_str(), WINHTTP_NO_PROXY_BYPASS, 0);
    }
    // The settings of the user's Windows (Windows 8.1 and later), else those of WinHTTP itself.
    HINTERNET session = ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0);
    if (session == nullptr) {
        session = ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
    }
    return session;
}

bool Stopped(Exchange& exchange) {
    const std::lock_guard lock(exchange.mutex);
    return exchange.stopped;
}

// Carries out the request; the body or the failure's code. Runs on a thread of its own.
DWORD Transfer(const Target& target, std::chrono::milliseconds timeout, Exchange& exchange, std::string& body) {
    const Internet session(OpenSession(target.proxy));
    if (!session) {
        return ::GetLastError();
    }
    const int total = static_cast<int>(timeout.count());
    const int connect = static_cast<int>(std::min(timeout, kConnectPhaseTimeout).count());
    if (!::WinHttpSetTimeouts(session.get(), connect, connect, total, total)) {
        return ::GetLastError();
    }
    const Internet connection(::WinHttpConnect(session.get(), target.host.c_str(), target.port, 0));
    if (!connection) {
        return ::GetLastError();
    }
    const Internet request(::WinHttpOpenRequest(connection.get(), L"GET", target.pathAndQuery.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
        return ::GetLastError();
    }
    DWORD redirects = kMaxRedirects;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof(redirects));
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return ::GetLastError();
    }
    while (body.size() < kMaxReplyBytes && !Stopped(exchange)) {
        const std::size_t used = body.size();
        body.resize(kMaxReplyBytes);
        DWORD got = 0;
        const bool read = ::WinHttpReadData(request.get(), body.data() + used,
                                            static_cast<DWORD>(kMaxReplyBytes - used), &got);
        body.resize(used + (read ? got : 0));
        if (!read) {
            return ::GetLastError();
        }
        if (got == 0) {
            break;
        }
    }
    // A reply longer than the cap is cut there; the rest is never read.
    return 0;
}

void Run(const std::shared_ptr<Exchange>& exchange, const Target& target, std::chrono::milliseconds timeout) {
    std::string body;
    std::string error;
    try {
        if (const DWORD code = Transfer(target, timeout, *exchange, body); code != 0) {
            error = FailureText(code);
        }
    } catch (const std::exception& fault) {
        error = fault.what();
    }
    const std::lock_guard lock(exchange->mutex);
    exchange->body = std::move(body);
    exchange->error = std::move(error);
    exchange->done = true;
    exchange->finished.notify_all();
}

}  // namespace

std::string HttpGetBody(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout) {
    const Target target = ParseUrl(url);
    auto exchange = std::make_shared<Exchange>();
    std::thread(Run, exchange, target, timeout).detach();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    const auto stop = [&exchange] {
        const std::lock_guard lock(exchange->mutex);
        exchange->stopped = true;
    };
    for (;;) {
        {
            std::unique_lock lock(exchange->mutex);
            const Clock::time_point wake = std::min(deadline, Clock::now() + kPumpWait);
            if (exchange->finished.wait_until(lock, wake, [&exchange] { return exchange->done; })) {
                if (!exchange->error.empty()) {
                    throw WanRequestError(exchange->error);
                }
                return std::move(exchange->body);
            }
        }
        if (Clock::now() >= deadline) {
            stop();
            throw WanRequestError("Timeout was reached");
        }
        if (!PumpEvents(pump)) {
            stop();
            throw WanRequestAbandoned("The request for the public address was abandoned.");
        }
    }
}

}  // namespace net
