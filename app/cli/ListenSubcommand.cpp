// dtusms listen: a temporary server on the server port for the time of commissioning, printing one
// line per connection (when, who, what it sent first), so that each configured DTU is seen to arrive.

#include <chrono>
#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ListenBoard.h"
#include "app/cli/Subcommands.h"
#include "base/Placeholders.h"
#include "base/Translate.h"
#include "net/ConnectionListener.h"

namespace app {
namespace {

void StopListener(void* listener) noexcept {
    static_cast<net::ConnectionListener*>(listener)->RequestStop();
}

}  // namespace

int RunListen(const CliRequest& request, const CliOutput& output) {
    const CliListenOptions& flags = request.listen;
    net::ListenOptions options;
    options.bindAddress = flags.bindAddress;
    // The server port is the one the DTUs are told to reach: the settings file's unless --port says.
    options.port = flags.port ? *flags.port : LoadFields(request, false).Port;
    options.maxConnections = static_cast<std::size_t>(flags.count.value_or(0));
    options.timeout = std::chrono::seconds(flags.timeoutSeconds.value_or(0));
    if (flags.fleetPath) {
        return RunListenBoard(request, output, options);
    }

    std::optional<net::ConnectionListener> listener;
    try {
        listener.emplace(options);
    } catch (const net::ListenError& error) {
        output.err << Say(output, error.Format(), error.Args()) << '\n';
        return kExitFailed;
    }
    if (output.errIsTerminal) {
        output.err << Say(output, "Listening on %s port %d; Ctrl-C stops.",
                          {options.bindAddress, static_cast<long long>(listener->port())})
                   << '\n';
    }
    std::size_t connections = 0;
    {
        const InterruptScope interrupt(StopListener, &*listener);
        connections = listener->Run([&output](const net::ConnectionReport& report) {
            // Each line as it comes: a person or a script watches them arrive.
            output.out << net::FormatConnectionLine(report) << '\n' << std::flush;
        });
    }
    if (connections == 0) {
        output.err << Say(output, "No connection came to port %d.",
                          {static_cast<long long>(listener->port())})
                   << '\n';
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace app
