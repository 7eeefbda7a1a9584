#pragma once

// A system service that manages modems and sends through them (ModemManager on Linux), seen by the
// transport beside its own serial ports. A platform without one gives the transport no factory, and
// the automatic choice then looks at the serial ports alone.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modem/Context.h"
#include "modem/ReplyCollector.h"
#include "modem/SmsTransport.h"

namespace modem {

struct ManagedModem {
    std::string path;                // the service's name of the modem (a D-Bus object path)
    std::string label;               // manufacturer and model
    bool canMessage = false;         // can send now (SIM unlocked, modem enabled)
    std::vector<std::string> ports;  // the device names it holds ("ttyUSB2")
};

class ModemService {
public:
    virtual ~ModemService() = default;

    // Whether the service runs; `error` gets the reason for no.
    virtual bool Available(Error* error) = 0;

    // The managed modems, in the service's order. Errors: ServiceError.
    virtual std::optional<std::vector<ManagedModem>> Modems(Error* error) = 0;

    // Sends `text` to `number` through `modemPath` (through `smsc` when not empty); `reference` gets
    // the service's name of the message. Errors: ServiceError, Unconfirmed, Cancelled.
    virtual Error Send(const std::string& modemPath, const std::string& number, const std::string& text,
                       const std::string& smsc, int parts, std::string* reference) = 0;

    // Starts listening for messages that `modemPath` receives; called before sending so that a quick
    // reply is not missed.
    virtual bool Listen(const std::string& modemPath) = 0;

    // Offers each message received since Listen() to `collector` until one completes the reply, or
    // the collector claims one another modem received (looked for at least once a second), for up
    // to `seconds`. Errors: NoReply, Cancelled, ServiceError.
    virtual Error WaitForReply(ReplyCollector& collector, const std::string& number, int seconds,
                               std::optional<std::string>* reply) = 0;
};

// Makes a service client for one call of the transport, on the thread of that call.
using ModemServiceFactory = std::function<std::unique_ptr<ModemService>(Context& context)>;

}  // namespace modem
