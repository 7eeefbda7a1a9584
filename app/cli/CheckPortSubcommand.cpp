// dtusms check-port: tries a TCP connection to the server address and port, prints the outcome and,
// for a failure, why.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Subcommands.h"
#include "net/ServerChecks.h"

namespace app {

int RunCheckPort(const CliRequest& request, const CliOutput& output) {
    // The window's status line becomes a progress line, but only for a person watching a terminal.
    const net::PortTestResult result = net::RunServerPortTest(
        TargetOf(LoadFields(request, true)), output.translate, [&output](const std::string& status) {
            if (output.errIsTerminal) {
                output.err << status << '\n';
            }
        });
    if (result.missingField) {
        output.err << MissingFieldMessage(output, *result.missingField) << '\n';
        return kExitFailed;
    }
    // The reason of a failure follows the outcome on its line, as in the window's status bar.
    output.out << net::OutcomeWithReason(result) << '\n';
    return result.connected ? kExitDone : kExitFailed;
}

}  // namespace app
