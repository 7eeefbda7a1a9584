#pragma once

// The HTTP receiver that a Kannel gateway calls back: the DTU's replies at /kannel/mo (the
// sms-service's get-url) and delivery reports at /kannel/dlr (the dlr-url given with each part). It
// serves on its own thread while it exists, answers every request at once with an empty body (so
// that Kannel sends nothing back to the phone) and never lets a request harm it: requests are read
// up to a size limit and a time limit, and anything else than a GET of those two paths is answered
// with an HTTP error.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/MessageError.h"
#include "modem/KannelProtocol.h"

namespace modem::gateway {

// "ADDRESS:PORT" as --gateway-listen takes it: a numeric IPv4 address, or an IPv6 one in brackets,
// and a port from 1 to 65535.
struct ListenAddress {
    std::string address;
    int port = 0;
};
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

// The receiver could not listen. The message names the address and says why.
class ReceiverError : public base::MessageError {
public:
    using base::MessageError::MessageError;
};

struct ReceiverHandlers {
    std::function<void(const IncomingMessage&)> onMessage;  // called on the receiver's thread
    std::function<void(const DeliveryReport&)> onReport;    // called on the receiver's thread
};

class GatewayReceiver final {
public:
    // Binds `where` (port 0: any free port) and starts serving. Throws ReceiverError naming the
    // address and the system's reason when it cannot listen.
    GatewayReceiver(const ListenAddress& where, ReceiverHandlers handlers);
    // Stops serving; requests in progress are dropped.
    ~GatewayReceiver();
    GatewayReceiver(const GatewayReceiver&) = delete;
    GatewayReceiver& operator=(const GatewayReceiver&) = delete;

    int port() const;
    // "http://ADDRESS:PORT", the base of the URLs Kannel calls.
    std::string BaseUrl() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace modem::gateway
