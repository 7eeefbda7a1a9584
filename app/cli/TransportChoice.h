#pragma once

// The transport a command sends through: a Kannel SMS gateway when --modem is an http(s) URL
// (with its receiver on --gateway-listen), otherwise the modem support of this build.

#include <memory>
#include <string>

#include "app/cli/CliOptions.h"
#include "app/cli/Subcommands.h"
#include "modem/SmsTransport.h"

namespace modem::gateway {
class GatewayHub;
}

namespace app {

// nullptr with the line to show in `error`, in the output's language, when neither can be had: the
// modem support is missing (see LoadModemTransport), the URL is no gateway's, or the gateway's
// receiver cannot listen. A gateway uses `hub`, when given, instead of a receiver of its own.
std::unique_ptr<modem::SmsTransport> OpenTransport(const CliModemOptions& choice,
                                                   const modem::TransportOptions& options,
                                                   const CliOutput& output, std::string& error,
                                                   modem::gateway::GatewayHub* hub = nullptr);

// The --modem value as it may be shown and recorded: a gateway URL without its user and password.
std::string ModemShown(const std::string& modem);

}  // namespace app
