#include "net/ServerChecks.h"

#include <chrono>

#include "base/AsciiText.h"
#include "base/Placeholders.h"
#include "net/TcpConnect.h"

namespace net {
namespace {

constexpr const char* kStatusText = "Are experimenting with IP =%s, port =%d of server connection...";
constexpr const char* kSuccessText = "With IP =%s, port =%d of server connection is successful!";
constexpr const char* kFailureText = "With IP =%s, port =%d of server connection is failed!";
constexpr const char* kEqualVerdict =
    "The local IP network segment with the WAN IP is identical, users do not need port mapping.";
constexpr const char* kUnequalVerdict =
    "The local IP network segment with the WAN IP is different, you need to do port mapping in router.";

// A translated message with the address as entered and the port filled in.
std::string Filled(const base::TranslateFn& translate, const char* english, const std::string& address,
                   int port) {
    return base::FillPlaceholders(base::TranslateOrKeep(translate, english), {address, port});
}

// Once the caller's pump has asked to stop, every later pump point stops too, without asking again.
class StickyPump {
public:
    explicit StickyPump(const EventPump& pump) : pump_(pump) {}

    EventPump AsPump() {
        return [this] {
            if (!abandoned_ && !PumpEvents(pump_)) {
                abandoned_ = true;
            }
            return !abandoned_;
        };
    }
    bool abandoned() const { return abandoned_; }

private:
    const EventPump& pump_;
    bool abandoned_ = false;
};

struct ModeField {
    const std::string* text = nullptr;
    const char* label = nullptr;
};

ModeField FieldOfMode(const ServerTarget& target) {
    switch (target.mode) {
        case 0:
            return {&target.staticIp, "Static IP"};
        case 1:
            return {&target.domain, "Domain address"};
        default:
            return {};
    }
}

std::string ReasonText(const ConnectOutcome& attempt, bool addressEntered, std::chrono::milliseconds timeout,
                       const base::TranslateFn& translate) {
    switch (attempt.failure) {
        case ConnectFailure::PortOutOfRange:
            return base::TranslateOrKeep(translate, kReasonPortOutOfRange);
        case ConnectFailure::NoAddress:
            // Without a chosen mode there was no address to look up, so nothing was not found.
            return addressEntered ? base::TranslateOrKeep(translate, kReasonNoSuchHost) : std::string();
        case ConnectFailure::Refused:
            return base::TranslateOrKeep(translate, kReasonRefused);
        case ConnectFailure::TimedOut:
            return base::FillPlaceholders(
                base::TranslateOrKeep(translate, kReasonTimedOut),
                {static_cast<int>(std::chrono::ceil<std::chrono::seconds>(timeout).count())});
        case ConnectFailure::Other:
            return attempt.systemText;
        case ConnectFailure::None:
        case ConnectFailure::Abandoned:
            break;
    }
    return {};
}

}  // namespace

PortTestResult RunServerPortTest(const ServerTarget& target, const base::TranslateFn& translate,
                                 const std::function<void(const std::string&)>& setStatus,
                                 const EventPump& pump, HostResolver& resolver,
                                 std::chrono::milliseconds timeout) {
    PortTestResult result;
    StickyPump sticky(pump);
    const EventPump guarded = sticky.AsPump();

    const ModeField field = FieldOfMode(target);
    std::string entered;
    std::string resolved;
    if (field.text != nullptr) {
        if (base::TrimBlanks(*field.text).empty()) {
            result.missingField = field.label;
            return result;
        }
        entered = *field.text;
        if (setStatus) {
            setStatus(Filled(translate, kStatusText, entered, target.port));
        }
        guarded();
        resolved = ResolveHostIP(entered, guarded, resolver);
    }

    const ConnectOutcome attempt = sticky.abandoned()
                                       ? ConnectOutcome{ConnectFailure::Abandoned, {}}
                                       : AttemptTcpConnect(resolved, target.port, guarded, timeout);
    if (sticky.abandoned() || attempt.failure == ConnectFailure::Abandoned) {
        result.abandoned = true;
        return result;
    }
    result.connected = attempt.failure == ConnectFailure::None;
    result.failure = attempt.failure;
    result.reason = ReasonText(attempt, !entered.empty(), timeout, translate);
    result.outcomeText =
        Filled(translate, result.connected ? kSuccessText : kFailureText, entered, target.port);
    return result;
}

std::string OutcomeWithReason(const PortTestResult& result) {
    return result.reason.empty() ? result.outcomeText : result.outcomeText + " " + result.reason;
}

MappingResult JudgePortMapping(const ServerTarget& target, const base::TranslateFn& translate,
                               const EventPump& pump, HostResolver& resolver) {
    MappingResult result;
    const ModeField field = FieldOfMode(target);
    if (field.text == nullptr) {
        return result;
    }
    if (base::TrimBlanks(*field.text).empty()) {
        result.missingField = field.label;
        return result;
    }

    StickyPump sticky(pump);
    // The static IP is compared as typed: a host name or a stray space there is a different address.
    const std::string server =
        target.mode == 0 ? *field.text : ResolveHostIP(*field.text, sticky.AsPump(), resolver);
    if (sticky.abandoned()) {
        result.abandoned = true;
        return result;
    }
    const std::string local = GetLocalIP(resolver);
    result.verdictText = base::TranslateOrKeep(translate, server == local ? kEqualVerdict : kUnequalVerdict);
    return result;
}

}  // namespace net
