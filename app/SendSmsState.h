#pragma once

// What the "Send SMS" dialog shows for a given state, worked out without a toolkit, so that the Qt
// dialog and the Win32 dialog show the same texts for the same state. Standard C++ only; nothing here
// throws beyond std::bad_alloc.

#include <optional>
#include <string>

#include "base/Translate.h"
#include "modem/SmsTransport.h"
#include "qr/QrCode.h"
#include "sms/SmsCommand.h"

namespace app::sendsms {

// The command part: the command itself and its length, or why there is none.
struct CommandShown {
    std::string command;  // empty when there is a problem
    std::string line;     // the length ("1 SMS, 49 of 160 characters") or the problem
    bool ok = false;      // false: `line` says what is missing
};

CommandShown ShowCommand(const sms::SmsCommandResult& command, const base::TranslateFn& translate);

// The phone number's red message: the validation message when the field holds no valid number and
// was edited (or Send pressed), empty otherwise.
std::string PhoneMistake(const std::string& typed, bool checked, const base::TranslateFn& translate);

// What the QR area gets: the payload "SMSTO:<number>:<command>" to encode, or, when the phone number
// or the command is missing, the reason in its place (exactly one of the two is set).
struct QrContent {
    std::string payload;
    std::string reason;
};

QrContent QrFor(const std::string& typedNumber, const CommandShown& command,
                const base::TranslateFn& translate);

// Why a payload has no QR code: "too long for a QR code" in words, or the encoder's own message.
std::string QrErrorText(const qr::QrError& error, const base::TranslateFn& translate);

// Where the modem's work stands, as the progress line sees it.
struct WorkState {
    bool busy = false;
    bool searching = false;
    bool cancelling = false;
    std::optional<modem::Progress> progress;
};

// The progress line: "Cancelling…", the stage in words, "Searching…" or "Starting…" while the modem
// works; empty while nothing is under way.
std::string ProgressLine(const WorkState& state, const base::TranslateFn& translate);

// How far the progress bar is filled while the reply is awaited (0 to kReplyTimeoutSeconds), or
// nothing when the bar should show that it is busy without knowing for how long.
std::optional<int> ReplyWaitFill(const WorkState& state);

}  // namespace app::sendsms
