// dtusms wan-ip: prints this computer's public address as the IP-echo page reports it.

#include <ostream>

#include "app/cli/Subcommands.h"
#include "base/ErrorText.h"
#include "net/WanAddress.h"

namespace app {

int RunWanIp(const CliRequest& /*request*/, const CliOutput& output) {
    try {
        // A reply without an address is no failed request: the window would empty the field.
        output.out << net::GetWanIP() << '\n';
        return kExitDone;
    } catch (const net::WanRequestError& error) {
        // Worded as the window's error box shows it.
        output.err << base::WithFullStop(error.what()) << '\n';
        return kExitFailed;
    }
}

}  // namespace app
