#pragma once

// The server-side checks behind "Test server port" and "Judge whether the server port mapping",
// decided without a window: the window passes the field values and shows the results.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "net/EventPump.h"

namespace net {

using TranslateFn = std::function<std::string(const std::string&)>;

// The server fields as the window shows them at the click (texts untrimmed).
struct ServerTarget {
    int mode = 0;  // 0 static IP, 1 domain, anything else: no selection
    std::string staticIp;
    std::string domain;
    int port = 6000;
};

inline constexpr std::chrono::milliseconds kConnectTimeout{10'000};
inline constexpr std::chrono::milliseconds kPumpInterval{100};

// One TCP connection attempt to `address` (dotted decimal; anything else fails) and `port`, closed
// at once without data. Gives up after `timeout`; while it waits, `pump` runs at least every 100 ms.
// Ports outside 1..65535 fail without an attempt; a pump that returns false abandons the attempt
// (false). Never throws.
bool TestTcpConnect(const std::string& address, int port, const EventPump& pump = {},
                    std::chrono::milliseconds timeout = kConnectTimeout);

struct PortTestResult {
    std::optional<std::string> missingField;  // English label of a blank address field
    bool connected = false;
    std::string outcomeText;  // success or failure text, filled; empty when missingField is set
    bool abandoned = false;   // the pump asked to stop; nothing is to be shown
};

// The whole port test: validates the address field of the mode, sets the status text through
// `setStatus`, pumps events once, resolves, connects and returns the outcome (which the caller puts
// into the status bar and a prompt box).
PortTestResult RunServerPortTest(const ServerTarget& target, const TranslateFn& translate,
                                 const std::function<void(const std::string&)>& setStatus,
                                 const EventPump& pump = {});

struct MappingResult {
    std::optional<std::string> missingField;
    std::string verdictText;  // equal or unequal verdict, translated; empty for no mode
};

// The port-mapping judgement: compares the server address with GetLocalIP().
MappingResult JudgePortMapping(const ServerTarget& target, const TranslateFn& translate,
                               const EventPump& pump = {});

}  // namespace net
