#pragma once

// The fields a subcommand works on: the settings file read as the window shows it, with the
// command line's field flags on top.

#include <optional>
#include <string>

#include "app/cli/CliOptions.h"
#include "app/cli/Subcommands.h"
#include "net/ServerChecks.h"
#include "settings/Settings.h"

namespace app {

// --settings, else the settings file of settings::DefaultSettingsLocation().
std::string SettingsPathOf(const CliRequest& request);

// The fields as the window would show them after loading the settings file (a stored port outside
// 1000 to 99999 becomes the nearer bound, a list index out of range no selection), then each flag
// given replaces its field. The file is only read. A missing "Static IP" key takes this computer's
// own address when `localAddressAsDefault` is set, as the window's load does; the address is looked
// up only then, and only when --ip does not replace the field anyway.
sms::TGPRSInfo LoadFields(const CliRequest& request, bool localAddressAsDefault);

// Replaces each field of `info` that `overrides` gives.
void ApplyFieldOverrides(const CliFieldOverrides& overrides, sms::TGPRSInfo& info);

// The DTU's phone number to use, as dialled (sms::NormalizePhoneNumber): --phone when given, else
// the stored "DTU phone number". nullopt when that text is empty or no phone number.
std::optional<std::string> DtuPhoneOf(const CliRequest& request, const sms::TGPRSInfo& info);

// The SMS command that the fields compose and the DTU's phone number it goes to.
struct DtuMessage {
    std::string command;
    std::string phone;
};

// The command of LoadFields(request, true) and DtuPhoneOf's number; nullopt after the validation
// message on output.err for the first field that is missing (the composition's fields first, then
// the phone number).
std::optional<DtuMessage> ComposeDtuMessage(const CliRequest& request, const CliOutput& output);

// The server address, mode and port of `info` for the server checks.
net::ServerTarget TargetOf(const sms::TGPRSInfo& info);

// `Please enter valid "<label>"` in the output's language, as the window's validation box says it.
std::string MissingFieldMessage(const CliOutput& output, const std::string& label);

}  // namespace app
