#pragma once

// Helpers shared by the tests that talk to the fake modem.

#include <chrono>
#include <string>
#include <vector>

#include "modem/SmsTransport.h"
#include "sms/SmsPdu.h"
#include "tests/modem/FakeModem.h"

namespace modem_test {

// Options for a transport that sees only `ports` and never ModemManager, with time-outs short enough
// for tests yet long enough for a loaded machine.
inline modem::TransportOptions FastOptions(std::vector<std::string> ports) {
    modem::TransportOptions options;
    options.useModemManager = false;
    options.candidatePorts = std::move(ports);
    options.timeouts.answerMs = 300;
    options.timeouts.answerTries = 3;
    options.timeouts.probeMs = 300;
    options.timeouts.commandMs = 1500;
    options.timeouts.promptMs = 600;
    options.timeouts.partMs = 2000;
    options.timeouts.cancelGraceMs = 400;
    options.timeouts.dbusMs = 3000;
    return options;
}

inline modem::SendRequest Request(std::string modem, std::string number, std::string text,
                                  std::string smsc = {}) {
    modem::SendRequest request;
    request.modem = std::move(modem);
    request.number = std::move(number);
    request.text = std::move(text);
    request.smsc = std::move(smsc);
    return request;
}

// The PDUs the fake modem took, decoded; a PDU that does not decode fails the test that reads it.
inline std::vector<sms::SubmitPdu> DecodedParts(const FakeModem& fake) {
    std::vector<sms::SubmitPdu> parts;
    for (const std::string& hex : fake.Pdus()) {
        const sms::SubmitDecoding decoded = sms::DecodeSubmitPdu(hex);
        parts.push_back(decoded.ok ? decoded.pdu : sms::SubmitPdu{});
        if (!decoded.ok) {
            parts.back().userData.text = "<undecodable: " + decoded.error + ">";
        }
    }
    return parts;
}

// The commands that start with `prefix`.
inline std::vector<std::string> CommandsStartingWith(const FakeModem& fake, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& command : fake.Commands()) {
        if (command.rfind(prefix, 0) == 0) {
            found.push_back(command);
        }
    }
    return found;
}

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace modem_test
