#pragma once

// The SmsTransport of this library: chooses between a modem service (ModemManager on Linux) and the
// serial ports, composes the PDUs and drives the modem. Every call blocks on the calling thread
// until it is done, cancelled or timed out; one transport serves one thread, so a pool of modems
// can run as one transport per thread.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modem/Context.h"
#include "modem/ModemService.h"
#include "modem/SerialModem.h"
#include "modem/SerialPort.h"
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
    // `service` makes the client of the platform's modem service for each call; without one (or
    // with TransportOptions::useModemManager off) only the serial ports are used.
    explicit ModemTransport(TransportOptions options, ModemServiceFactory service = {});
    ~ModemTransport() override;
    ModemTransport(const ModemTransport&) = delete;
    ModemTransport& operator=(const ModemTransport&) = delete;

    std::vector<ModemInfo> ListModems() override;
    SendResult Send(const SendRequest& request) override;
    ReplyResult WaitForReply(const ReplyRequest& request) override;
    void Cancel() noexcept override { context_.Cancel(); }
    std::vector<LogEntry> Log() const override { return context_.Snapshot(); }

    // The candidate serial ports of the automatic choice: TransportOptions::candidatePorts, or else
    // those ListSerialPorts gives, each with its label.
    std::vector<SerialPortName> CandidatePorts() const;

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
    ModemServiceFactory serviceFactory_;
    std::unique_ptr<ModemService> manager_;
    bool managedQueried_ = false;
    std::optional<std::vector<ManagedModem>> managed_;
    Error managedError_;
};

}  // namespace modem
