// dtusms wan-ip: prints this computer's public IPv4 address as an IP-echo service reports it.

#include <ostream>

#include "app/cli/Subcommands.h"
#include "base/ErrorText.h"
#include "net/WanAddress.h"

namespace app {

int RunWanIp(const CliRequest& /*request*/, const CliOutput& output) {
    try {
        // Only a dotted IPv4 address comes back; a service that gave anything else counts as failed.
        output.out << net::GetWanIP() << '\n';
        return kExitDone;
    } catch (const net::WanRequestError& error) {
        // Worded as the window's error box shows it.
        output.err << base::WithFullStop(error.what()) << '\n';
        return kExitFailed;
    }
}

}  // namespace app
