// dtusms qr in a build without QR codes: says so and writes nothing.

#include <ostream>

#include "app/cli/QrAvailability.h"
#include "app/cli/Subcommands.h"

namespace app {

int RunQr(const CliRequest&, const CliOutput& output) {
    output.err << "dtusms: " << kNoQrMessage << '\n';
    return kExitFailed;
}

}  // namespace app
