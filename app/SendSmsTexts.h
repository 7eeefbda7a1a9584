#pragma once

// The texts of the "Send SMS" dialog and of the SMS length that the main window's status bar shows:
// English message identifiers, which the catalogs translate, and the lines built from them. Standard
// C++ only; every function here is pure and throws nothing beyond std::bad_alloc.

#include <string>
#include <string_view>
#include <vector>

#include "base/Translate.h"
#include "modem/SmsTransport.h"
#include "sms/SmsLengthLine.h"

namespace app::sendsms {

// The button of the main window that opens the dialog.
inline constexpr std::string_view kSendSmsButton = "Send SMS\u2026";

// The captions the dialog is built with; the window translation records them and replays them at a
// language switch.
inline constexpr std::string_view kTitle = "Send SMS";
inline constexpr std::string_view kPhoneLabel = "DTU phone number";
inline constexpr std::string_view kPhoneRule = "+ and 3 to 20 digits";
inline constexpr std::string_view kCommandLabel = "SMS command";
inline constexpr std::string_view kQrHint =
    "Scan the code with a phone's camera: it opens this SMS, ready to send";
inline constexpr std::string_view kModemGroup = "Send through a modem";
inline constexpr std::string_view kModemLabel = "Modem";
inline constexpr std::string_view kSearchModems = "Search for modems";
inline constexpr std::string_view kSmscLabel = "Service centre";
inline constexpr std::string_view kSmscNote = "(optional; empty: the SIM card's own)";
inline constexpr std::string_view kWaitForReply = "Wait 120 s for the reply";
inline constexpr std::string_view kSend = "Send";
inline constexpr std::string_view kCancel = "Cancel";
inline constexpr std::string_view kReplyLabel = "Reply";
inline constexpr std::string_view kDetails = "Details";
inline constexpr std::string_view kClose = "Close";

// How long the dialog waits for the DTU's answer when asked to; kWaitForReply names it.
inline constexpr int kReplyTimeoutSeconds = 120;

// The texts the dialog and the status bar write as things happen. "%d" and "%s" are filled in order.
// The length line, worded where the toolkit-free window logic can reach it too.
using sms::kLengthOnePart;
using sms::kLengthParts;
inline constexpr std::string_view kNoCommand =
    "No SMS command: choose the server address mode and the SMS command type in the main window";
// A field of the main window that the command needs is empty; "%s" is its translated label.
inline constexpr std::string_view kFillInMainWindow = "Fill in \"%s\" in the main window";
inline constexpr std::string_view kQrTooLong = "The SMS command is too long for a QR code";
inline constexpr std::string_view kAutomatic = "Automatic";
inline constexpr std::string_view kSearching = "Searching\u2026";
inline constexpr std::string_view kCancelling = "Cancelling\u2026";
inline constexpr std::string_view kStarting = "Starting\u2026";
inline constexpr std::string_view kSent = "Sent as %d SMS (reference %s)";
inline constexpr std::string_view kSentSome = "%d of %d SMS sent (reference %s)";
inline constexpr std::string_view kReplied = "The DTU replied";

// Every text above, for the check that the catalogs translate them all.
std::vector<std::string_view> AllTexts();

// kFillInMainWindow for the field of the main window whose English label is `label`, translated.
std::string FillInMainWindow(const std::string& label, const base::TranslateFn& translate);

// The length of a command as the status bar and the dialog show it.
using sms::LengthLine;

// Where the search for modems stands.
enum class ModemSearch { NotYet, Running, Done };

// One entry of the modem list: for the automatic choice "Automatic" before any search, "Automatic —
// Searching…" during one and "Automatic — <what it would choose>" after it; "<label> — <status>" for
// a modem found.
std::string ModemChoiceText(const modem::ModemInfo& modem, ModemSearch search,
                            const base::TranslateFn& translate);

// The outcome of a send in words, one line each: what was sent (with the modem's message
// references), then the failure when there was one, or "The DTU replied" when a reply came. A send
// that failed before any part went out gives the failure alone.
std::vector<std::string> OutcomeLines(const modem::SendResult& result, const base::TranslateFn& translate);

// A message of the modem library in the language of `translate`.
std::string RenderModemMessage(const modem::Message& message, const base::TranslateFn& translate);

}  // namespace app::sendsms
