#pragma once

// The SmsTransport of this library: chooses between ModemManager and the serial ports, composes the
// PDUs and drives the modem. Needs a QCoreApplication (the plugin's factory makes one when missing).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modem/Context.h"
#include "modem/ModemManagerClient.h"
#include "modem/SerialModem.h"
#include "modem/SmsTransport.h"

namespace modem {

// A request checked and encoded: the normalised numbers and the PDUs of its parts.
struct ComposedMessage {
    std::string number;
    std::string smsc;
    std::vector<PduPart> parts;
};

// Where a request goes once its modem choice is resolved.
struct ResolvedModem {
    ModemKind kind = ModemKind::Serial;
    std::string id;  // the ModemManager object path or the serial device path
};

class ModemTransport final : public SmsTransport {
public:
    explicit ModemTransport(TransportOptions options);
    ~ModemTransport() override;
    ModemTransport(const ModemTransport&) = delete;
    ModemTransport& operator=(const ModemTransport&) = delete;

    std::vector<ModemInfo> ListModems() override;
    SendResult Send(const SendRequest& request) override;
    ReplyResult WaitForReply(const ReplyRequest& request) override;
    void Cancel() noexcept override { context_.Cancel(); }
    std::vector<LogEntry> Log() const override { return context_.Snapshot(); }

    // The candidate serial ports of the automatic choice: TransportOptions::candidatePorts, or else
    // /dev/ttyUSB* and /dev/ttyACM* and the ports the system lists (built-in /dev/ttyS* ports without
    // a USB identity are left out: a machine lists dozens of them, and such a modem is named).
    std::vector<std::string> CandidatePorts() const;

private:
    // Checks the numbers and the text and encodes the parts; InvalidRequest otherwise.
    std::optional<ComposedMessage> Compose(const SendRequest& request, Error* error);
    // The modem a choice names, ready to use: `serial` is prepared (PDU mode) for a serial choice,
    // `manager` connected for a ModemManager one.
    std::optional<ResolvedModem> Resolve(const std::string& typed, std::unique_ptr<SerialModem>* serial,
                                         Error* error);
    std::optional<ResolvedModem> ResolveManaged(const std::string& choice, bool quiet, Error* error);
    std::optional<ResolvedModem> DetectSerial(std::unique_ptr<SerialModem>* serial, Error* error);
    std::vector<std::string> PortsHeldByModemManager();
    // ModemManager's modems, asked once per call; nullptr (and `error`) when it cannot be asked.
    const std::vector<ManagedModem>* ManagedModems(Error* error);
    void BeginCall();

    Context context_;
    std::unique_ptr<ModemManagerClient> manager_;
    bool managedQueried_ = false;
    std::optional<std::vector<ManagedModem>> managed_;
    Error managedError_;
};

}  // namespace modem
