#pragma once

// Every text this library shows the user, in English, in one place: they are the message identifiers
// the catalogs translate (see Message in modem/SmsTransport.h), together with the phrases of
// modem/ErrorCodes.cpp. "%s" and "%d" are filled in order.

#include <string>
#include <string_view>

#include "modem/SmsTransport.h"

namespace modem::text {

// Progress.
inline constexpr std::string_view kProbing = "Looking for a modem";
inline constexpr std::string_view kOpening = "Opening %s";
inline constexpr std::string_view kCheckingSim = "Checking the SIM card";
inline constexpr std::string_view kSendingPart = "Sending part %d of %d";
inline constexpr std::string_view kWaitingForReply = "Waiting for the reply (%d s left)";
inline constexpr std::string_view kReadingReply = "Reading the reply";

// The request.
inline constexpr std::string_view kInvalidNumber = "Not a valid phone number: %s";
inline constexpr std::string_view kInvalidSmsc = "Not a valid service-centre number: %s";
inline constexpr std::string_view kEmptyText = "The message is empty";
inline constexpr std::string_view kTextNotEncodable = "The message cannot be encoded: %s";

// Finding and opening a modem.
inline constexpr std::string_view kNoModemFound =
    "No modem found: ModemManager manages none and no serial port answers with a ready SIM card";
// The same where the system has no modem service (Windows).
inline constexpr std::string_view kNoSerialModemFound =
    "No modem found: no serial port answers with a ready SIM card";
inline constexpr std::string_view kHeldByModemManager =
    "%s is held by ModemManager; choose the ModemManager modem";
inline constexpr std::string_view kPortBusy = "%s is in use by another program";
inline constexpr std::string_view kCannotOpen = "Cannot open %s: %s";
inline constexpr std::string_view kNoAnswer = "The modem on %s does not answer";
inline constexpr std::string_view kGarbage =
    "The modem on %s answers with unreadable data; check the baud rate";
inline constexpr std::string_view kCommandTimeout = "The modem on %s did not answer %s within %d s";
inline constexpr std::string_view kDeviceLost = "The modem on %s was disconnected";

// The SIM card and the modem's modes.
inline constexpr std::string_view kSimPin = "The SIM card needs its PIN";
inline constexpr std::string_view kSimPuk = "The SIM card needs its PUK";
inline constexpr std::string_view kNoSim = "No SIM card";
inline constexpr std::string_view kSimFailure = "The modem cannot use the SIM card: %s";
inline constexpr std::string_view kSimNotReady = "The SIM card is not ready: %s";
inline constexpr std::string_view kPduRefusedTextOnly =
    "The modem works only in text mode, which cannot carry every character; use a modem that supports PDU "
    "mode";
inline constexpr std::string_view kRefusedCommand = "The modem refused %s: %s (%s)";
inline constexpr std::string_view kRefusedCommandCode = "The modem refused %s: %s";

// Sending.
inline constexpr std::string_view kRefusedPart = "The modem refused part %d of %d: %s (%s)";
inline constexpr std::string_view kRefusedPartCode = "The modem refused part %d of %d: %s";
inline constexpr std::string_view kNoPrompt = "The modem did not take part %d of %d; nothing of it was sent";
inline constexpr std::string_view kUnconfirmed =
    "Part %d of %d was handed to the modem but not confirmed within %d s; it may have been sent";
inline constexpr std::string_view kLostAfterHandover =
    "The modem on %s was disconnected after taking part %d of %d; it may have been sent";
inline constexpr std::string_view kCancelled = "Cancelled";
inline constexpr std::string_view kCancelledAfterHandover =
    "Cancelled after part %d of %d was handed to the modem; it may have been sent";

// The reply.
inline constexpr std::string_view kNoReply = "No reply from %s within %d s";
inline constexpr std::string_view kIndicationsRefused = "The modem refuses to report new messages: %s";

// ModemManager.
inline constexpr std::string_view kServiceError = "ModemManager failed: %s";
inline constexpr std::string_view kServiceNotRunning = "ModemManager is not running";
inline constexpr std::string_view kNoManagedModem = "ModemManager manages no modem that can send messages";
inline constexpr std::string_view kUnknownManagedModem = "ModemManager does not manage %s";
inline constexpr std::string_view kManagedModemNotReady =
    "The modem %s is not ready to send messages (SIM card locked or modem disabled)";
inline constexpr std::string_view kSendFailed = "ModemManager could not send the message: %s";
inline constexpr std::string_view kServiceTimeout = "ModemManager did not answer %s within %d s";

// A gateway (Kannel's sendsms).
inline constexpr std::string_view kGatewayNeedsReceiver =
    "Waiting for a reply through the gateway needs --gateway-listen";
inline constexpr std::string_view kGatewayUnreachable = "Cannot reach the gateway %s: %s";
inline constexpr std::string_view kGatewayRefusedPart = "The gateway refused part %d: %s";
inline constexpr std::string_view kGatewayReportsPart = "The gateway reports that part %d %s";
inline constexpr std::string_view kGatewayCancelled =
    "Cancelled while the gateway had part %d: it may have been sent";
inline constexpr std::string_view kGatewayUnconfirmed =
    "The gateway did not confirm part %d (%s): it may have been sent";

// The modem list.
inline constexpr std::string_view kStatusReady = "ready";
inline constexpr std::string_view kStatusHeld = "held by ModemManager";
inline constexpr std::string_view kStatusBusy = "in use by another program";
inline constexpr std::string_view kStatusNoAnswer = "no answer";
inline constexpr std::string_view kStatusSimPin = "the SIM card needs its PIN";
inline constexpr std::string_view kStatusNoSim = "no SIM card";
inline constexpr std::string_view kStatusNotReady = "not ready to send messages";
inline constexpr std::string_view kStatusAutoModemManager = "ModemManager: %s";
inline constexpr std::string_view kStatusAutoSerial = "serial port %s";
inline constexpr std::string_view kStatusAutoNone = "no modem found";

// Building messages.
inline MessageArg Literal(std::string text) {
    return {std::move(text), false};
}
inline MessageArg Translatable(std::string_view text) {
    return {std::string(text), true};
}
inline MessageArg Number(long long value) {
    return {std::to_string(value), false};
}

inline Message Make(std::string_view format, std::vector<MessageArg> args = {}) {
    return {std::string(format), std::move(args)};
}

inline Progress StageProgress(Stage stage, Message message, int part = 0, int parts = 0,
                              int secondsLeft = 0) {
    Progress progress;
    progress.stage = stage;
    progress.part = part;
    progress.parts = parts;
    progress.secondsLeft = secondsLeft;
    progress.message = std::move(message);
    return progress;
}

inline Error Fail(ErrorKind kind, std::string_view format, std::vector<MessageArg> args = {}) {
    return {kind, Make(format, std::move(args))};
}

}  // namespace modem::text
