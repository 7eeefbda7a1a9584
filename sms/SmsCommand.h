#pragma once

// Composition and validation of the SMS command sent to the DTU. Pure: no file, no window.

#include <string>
#include <string_view>

#include "base/Translate.h"
#include "sms/SettingsRecord.h"

namespace sms {

// The outcome of GenerateSMSCommand: either the command (possibly empty, for a list without
// selection) or the English label of the first field that is not present.
struct SmsCommandResult {
    bool ok = false;
    std::string command;      // set when ok
    std::string failedLabel;  // "Static IP", "Domain address", "Service network(APN)" or "DTU number"
};

inline constexpr std::string_view kRunningQueryCommand = "(A55A#s)";

// The lead text of the message that names a missing field. The field is named by its English caption
// (a message identifier), which is also the name of its key in the settings file.
inline constexpr std::string_view kPleaseEnterValid = "Please enter valid";

// Composes the command from the fields of `info`:
// - SMSCommandType 1: "(A55A#s)"; any value but 0 and 1: success with empty text. Nothing is checked.
// - SMSCommandType 0: "(A55A#<1|2>*<address>*<port>#3*<APN>#4*<DTU number>)" with trimmed texts.
//   The address is the static IP (mode 0) or the domain (mode 1); the APN is CMNET, CMWAP, UNINET
//   or the Other APN for list indexes 0 to 3, empty for any other. Texts are trimmed by
//   base::TrimBlanks (bytes of code 32 or less at both ends). Checks, in this order, that the
//   address of the mode, the Other APN (index 3 only) and the DTU number are not empty, and fails
//   with the first missing one's label. A mode other than 0 and 1 checks no address and, when the
//   other checks pass, gives success with empty text.
SmsCommandResult GenerateSMSCommand(const TGPRSInfo& info);

// `translate("Please enter valid") + " \"" + translate(label) + "\""`; English when `translate` is empty.
std::string FormatValidationMessage(const base::TranslateFn& translate, const std::string& label);

}  // namespace sms
