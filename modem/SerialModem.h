#pragma once

// A GSM modem on a serial port, spoken to with AT commands in PDU mode: preparing it, sending the
// parts of a message, and reading the messages it receives.

#include <optional>
#include <string>
#include <vector>

#include "modem/Context.h"
#include "modem/ReplyCollector.h"
#include "modem/SerialChannel.h"
#include "modem/SmsTransport.h"

namespace modem {

struct PduPart {
    std::string hex;     // the whole PDU, service-centre field first
    int tpduLength = 0;  // the <length> of AT+CMGS
};

enum class StartMode {
    Prepare,  // the port the user named: Timeouts::answerTries tries of answerMs for "AT"
    Detect,   // a candidate of the automatic choice: one "AT" of probeMs, then prepared as above
    Inspect,  // the modem list: one "AT" of probeMs, then only the SIM card is checked
};

class SerialModem final {
public:
    SerialModem(Context& context, std::string path);

    // Opens the port and prepares the modem: "AT" (see StartMode), ATE0, AT+CMEE=1 (both may be
    // refused: echo is recognised anyway and errors then come as plain ERROR), AT+CPIN? (READY, else
    // SimPin / NoSim), AT+CMGF=0 (when refused, AT+CMGF=1 tells a text-only modem, PduModeRefused,
    // from a broken one). Errors: ModemBusy, NoModem (cannot open), NoAnswer, SimPin, NoSim,
    // PduModeRefused, Refused, DeviceLost, Cancelled.
    Error Start(StartMode mode);

    // AT+CNMI=2,1,0,0,0 (or the shorter AT+CNMI=2,1 that some modems want): new messages are stored
    // and announced with +CMTI. Errors: Refused and those of a lost or cancelled exchange.
    Error EnableIndications();

    // Sends the parts in order with AT+CMGS, appending each confirmed reference to `references`;
    // stops at the first failure and never sends a part twice. Errors: Refused (with the code in
    // words), NoAnswer (no prompt: nothing of the part went out), Unconfirmed, DeviceLost, Cancelled.
    Error SendParts(const std::vector<PduPart>& parts, std::vector<std::string>* references);

    // Waits up to `seconds` for messages, reads each announced one with AT+CMGR and offers it to
    // `collector`, until the collector completes a reply or, at least once a second, claims one that
    // another modem of the pool received. Messages are never deleted. Errors: NoReply
    // (with `number` in its text), DeviceLost, Cancelled.
    Error WaitForReply(ReplyCollector& collector, const std::string& number, int seconds,
                       std::optional<std::string>* reply);

    void Close() { channel_.Close(); }

private:
    Error Failure(const std::string& command, const CommandAnswer& answer) const;
    // What a part that `sent` did not confirm failed with (part `number` of `total`).
    Error PartFailure(const PartAnswer& sent, int number, int total) const;
    Error CheckSim();
    Error EnterPduMode();
    bool Answers(int tries, int timeoutMs, CommandAnswer* last);
    std::optional<std::string> HandleIndication(const std::string& line, ReplyCollector& collector);

    Context& context_;
    std::string path_;
    SerialChannel channel_;
};

}  // namespace modem
