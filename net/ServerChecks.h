#pragma once

// The server-side checks behind "Test server port" and "Judge whether the server port mapping",
// decided without a window: the window passes the field values and shows the results.

#include <functional>
#include <optional>
#include <string>

#include "base/Translate.h"
#include "net/AddressLookup.h"
#include "net/EventPump.h"
#include "net/TcpConnect.h"

namespace net {

// The server fields as the window shows them at the click (texts untrimmed).
struct ServerTarget {
    int mode = 0;  // 0 static IP, 1 domain, anything else: no selection
    std::string staticIp;
    std::string domain;
    int port = 6000;
};

// Why a port test failed, in English (message identifiers); "%d" is the time-out in seconds.
inline constexpr const char* kReasonRefused = "Connection refused.";
inline constexpr const char* kReasonNoSuchHost = "No such host.";
inline constexpr const char* kReasonTimedOut = "Timed out after %d s.";
inline constexpr const char* kReasonPortOutOfRange = "Port outside 1\u201365535.";

struct PortTestResult {
    std::optional<std::string> missingField;  // English label of a blank address field
    bool connected = false;
    std::string outcomeText;  // success or failure text, filled; empty when missingField is set
    bool abandoned = false;   // the pump asked to stop; nothing is to be shown
    ConnectFailure failure = ConnectFailure::None;
    // Why the connection failed, translated: one of the kReason texts, or the system's own words for
    // any other error. Empty when it connected, was abandoned, a field was missing, no mode was
    // chosen, or the system gave no words.
    std::string reason;
};

// The outcome text followed, after a space, by the reason when there is one: the line the status bar
// and the command line show.
std::string OutcomeWithReason(const PortTestResult& result);

// The whole port test. Mode 0 and 1: when the mode's field is blank once the characters of code 32 or
// less are trimmed from its ends, only `missingField` is set ("Static IP" or "Domain address") and
// nothing else happens. Otherwise the translated status text, filled with the field's untrimmed text
// and the port, goes to `setStatus`; events are pumped once; the untrimmed text is resolved and the
// resolved address is connected to. Any other mode connects to an empty address (which fails) without
// validation or status text. The outcome text is the translated success or failure text, filled with
// the text as entered (empty for no mode) and the port. Only "%s" and "%d" of a translation are
// filled (base::FillPlaceholders). A failure carries its reason: a port outside 1..65535, a name
// that does not resolve (no such host), a refusal, the time-out, or the system's words. When the pump
// asks to stop at any point, `abandoned` is set and nothing else. Names are resolved by `resolver`.
PortTestResult RunServerPortTest(const ServerTarget& target, const base::TranslateFn& translate,
                                 const std::function<void(const std::string&)>& setStatus,
                                 const EventPump& pump = {}, HostResolver& resolver = SystemResolver(),
                                 std::chrono::milliseconds timeout = kConnectTimeout);

struct MappingResult {
    std::optional<std::string> missingField;
    std::string verdictText;  // equal or unequal verdict, translated; empty for no mode
    bool abandoned = false;   // the pump asked to stop while the domain was resolved
};

// The port-mapping judgement. Validation as in RunServerPortTest. Mode 0 compares the untrimmed static
// IP text with GetLocalIP(), mode 1 the last address of the untrimmed domain (ResolveHostIP) with
// GetLocalIP(), both exactly; equal texts give the "identical" verdict, others the "different" one.
// Any other mode gives empty verdict text and looks nothing up. Both addresses come from `resolver`.
MappingResult JudgePortMapping(const ServerTarget& target, const base::TranslateFn& translate,
                               const EventPump& pump = {}, HostResolver& resolver = SystemResolver());

}  // namespace net
