// dtusms wan-ip: prints this computer's public address as the IP-echo page reports it.

#include <ostream>
#include <string>

#include "app/cli/Subcommands.h"
#include "net/WanAddress.h"

namespace app {

int RunWanIp(const CliRequest& /*request*/, const CliOutput& output) {
    try {
        // A reply without an address is no failed request: the window would empty the field.
        output.out << net::GetWanIP() << '\n';
        return kExitDone;
    } catch (const net::WanRequestError& error) {
        // The window's error box ends a text that closes on a letter or digit with a full stop.
        std::string text = error.what();
        if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
            text += '.';
        }
        output.err << text << '\n';
        return kExitFailed;
    }
}

}  // namespace app
