#pragma once

// Composition and validation of the SMS command sent to the DTU. Pure: no file, no window.

#include <functional>
#include <string>
#include <string_view>

#include "sms/Settings.h"

namespace sms {

// The outcome of GenerateSMSCommand: either the command (possibly empty, for a list without
// selection) or the English label of the first field that is not present.
struct SmsCommandResult {
    bool ok = false;
    std::string command;      // set when ok
    std::string failedLabel;  // "Static IP", "Domain address", "Service network(APN)" or "DTU number"
};

inline constexpr std::string_view kRunningQueryCommand = "(A55A#s)";

// Removes every character of code 32 or less from both ends.
std::string TrimBlanks(std::string_view text);

// Composes the configuration command or the running query from the fields of `info`; checks
// server address, APN and DTU number in that order and reports only the first missing one.
SmsCommandResult GenerateSMSCommand(const TGPRSInfo& info);

// Translation of an English message identifier; the identity until a catalog is in force.
using TranslateFn = std::function<std::string(const std::string&)>;

// `translate("Please enter valid") + " \"" + translate(label) + "\""`.
std::string FormatValidationMessage(const TranslateFn& translate, const std::string& label);

}  // namespace sms
