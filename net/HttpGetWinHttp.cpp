#include "net/HttpGet.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>

#include <process.h>
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
    HttpReply reply;
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
            return "Number of redirects hit maximum amount: Maximum (" + std::to_string(kMaxRedirects) +
                   ") redirects followed";
        default: {
            const std::string text = base::SystemErrorText(error, L"winhttp.dll");
            const std::string code = "error " + std::to_string(error);
            return "The HTTP request failed: " + (text == code ? code : text + " (" + code + ")");
        }
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
        return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (proxy.kind == ProxyChoice::Kind::Named) {
        const std::wstring name = base::ToWide(proxy.proxy);
        return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, name.c_str(), WINHTTP_NO_PROXY_BYPASS,
                             0);
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

// The status of the reply; 0 when it cannot be read.
long StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return static_cast<long>(status);
}

// The Location header of a redirect; empty when the reply is no redirect or names no place.
std::wstring RedirectLocation(HINTERNET request, long status) {
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) {
        return {};
    }
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
        return {};
    }
    std::wstring location(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location.data(),
                               &size, WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    location.resize(size / sizeof(wchar_t));
    return location;
}

// The URL a redirect from `from` to `location` leads to: an absolute URL as it stands, else one made
// with the scheme, host and port of `from` ("//host/x", "/x", or "x" beside the current page).
std::string RedirectTarget(const Target& from, const std::wstring& location) {
    const std::string text = base::ToUtf8(location);
    const std::string scheme = from.secure ? "https:" : "http:";
    if (text.find("://") != std::string::npos) {
        return text;
    }
    if (text.starts_with("//")) {
        return scheme + text;
    }
    const std::string origin = scheme + "//" + base::ToUtf8(from.host) + ":" + std::to_string(from.port);
    if (text.starts_with('/')) {
        return origin + text;
    }
    const std::string path = base::ToUtf8(from.pathAndQuery.substr(0, from.pathAndQuery.find(L'?')));
    return origin + path.substr(0, path.rfind('/') + 1) + text;
}

// Reads the body of `request` into `body`, at most kMaxReplyBytes of it: a longer reply is cut there
// and the rest never read. 0 or the failure's code.
DWORD ReadBody(HINTERNET request, Exchange& exchange, std::string& body) {
    while (body.size() < kMaxReplyBytes && !Stopped(exchange)) {
        const std::size_t used = body.size();
        body.resize(kMaxReplyBytes);
        DWORD got = 0;
        const bool read =
            ::WinHttpReadData(request, body.data() + used, static_cast<DWORD>(kMaxReplyBytes - used), &got);
        body.resize(used + (read ? got : 0));
        if (!read) {
            return ::GetLastError();
        }
        if (got == 0) {
            break;
        }
    }
    return 0;
}

// One GET of `target`, no redirect followed: the reply, or with a redirect its Location in `location`
// and no body. 0 or the failure's code.
DWORD GetOnce(const Target& target, std::chrono::milliseconds timeout, Exchange& exchange, HttpReply& reply,
              std::wstring& location) {
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
    const Internet request(::WinHttpOpenRequest(connection.get(), L"GET", target.pathAndQuery.c_str(),
                                                nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
        return ::GetLastError();
    }
    // Redirects are followed here, not by WinHTTP: each hop gets the proxy rule and the scheme check,
    // and a redirect without a Location is the reply itself, as with libcurl.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof(never));
    // Each session makes one request: there is nothing to keep alive, and the connection closes with
    // the request, also when the rest of an oversized reply was never read.
    DWORD noKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noKeepAlive, sizeof(noKeepAlive));
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                              0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return ::GetLastError();
    }
    reply.status = StatusOf(request.get());
    location = RedirectLocation(request.get(), reply.status);
    return location.empty() ? ReadBody(request.get(), exchange, reply.body) : 0;
}

// Carries out the request with its redirects; the final reply or the failure's code. Runs on a
// thread of its own. Throws WanRequestError for a redirect to a place that is no http or https URL.
DWORD Transfer(const Target& target, std::chrono::milliseconds timeout, Exchange& exchange,
               HttpReply& reply) {
    Target current = target;
    for (DWORD hop = 0;; ++hop) {
        std::wstring location;
        reply = {};
        if (const DWORD code = GetOnce(current, timeout, exchange, reply, location); code != 0) {
            return code;
        }
        if (location.empty() || Stopped(exchange)) {
            return 0;
        }
        if (hop == kMaxRedirects) {
            return ERROR_WINHTTP_REDIRECT_FAILED;
        }
        current = ParseUrl(RedirectTarget(current, location));
    }
}

void Run(const std::shared_ptr<Exchange>& exchange, const Target& target, std::chrono::milliseconds timeout) {
    HttpReply reply;
    std::string error;
    try {
        if (const DWORD code = Transfer(target, timeout, *exchange, reply); code != 0) {
            error = FailureText(code);
        }
    } catch (const std::exception& fault) {
        error = fault.what();
    }
    const std::lock_guard lock(exchange->mutex);
    exchange->reply = std::move(reply);
    exchange->error = std::move(error);
    exchange->done = true;
    exchange->finished.notify_all();
}

// What the worker thread gets.
struct Job {
    std::shared_ptr<Exchange> exchange;
    Target target;
    std::chrono::milliseconds timeout;
};

unsigned __stdcall Work(void* argument) {
    const std::unique_ptr<Job> job(static_cast<Job*>(argument));
    Run(job->exchange, job->target, job->timeout);
    return 0;
}

// Starts Run on a thread of its own, which nobody waits for. A native thread, since MinGW's
// std::thread::detach throws (and so ends the program) when the thread has ended already, which a
// refused connection makes likely.
void StartWorker(const std::shared_ptr<Exchange>& exchange, const Target& target,
                 std::chrono::milliseconds timeout) {
    auto job = std::make_unique<Job>(Job{exchange, target, timeout});
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, Work, job.get(), 0, nullptr);
    if (thread == 0) {
        throw WanRequestError("Could not start the HTTP request.");
    }
    job.release();
    ::CloseHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace

HttpReply HttpGet(const std::string& url, const EventPump& pump, std::chrono::milliseconds timeout) {
    const Target target = ParseUrl(url);
    auto exchange = std::make_shared<Exchange>();
    StartWorker(exchange, target, timeout);

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
                return std::move(exchange->reply);
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
