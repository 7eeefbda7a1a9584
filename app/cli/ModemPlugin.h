#pragma once

// The modem support of the command line. On Linux it is libdtusms_modem.so, which brings QtDBus for
// ModemManager, loaded only when a command sends (send, batch --send), from the program's plugin
// folders (see app/cli/PluginLoader.h), and checked against the interface this program was built
// with. On Windows the modem core (serial ports only) is linked into the program.

#include <memory>
#include <string>
#include <vector>

#include "app/cli/Subcommands.h"
#include "modem/Plugin.h"
#include "modem/SmsTransport.h"

namespace app {

// A transport from the modem plugin found first in `folders`. On failure returns nullptr and `error`
// says why on one line: no folder holds the plugin (every path tried, with the system's reason), it
// cannot be loaded, lacks an entry point ("<path> is not the modem plugin"), was built for another
// modem::kPluginApiVersion, or could not create a transport. The library stays loaded.
std::unique_ptr<modem::SmsTransport> LoadModemTransport(const std::vector<std::string>& folders,
                                                        const modem::TransportOptions& options,
                                                        std::string& error);

// Whether this build has modem support (on Linux the plugin, which needs QtDBus, is built with the
// window), and the reason a build without it gives.
inline constexpr bool kModemBuilt = DTUSMS_MODEM_BUILT;
inline constexpr const char* kNoModemReason =
    "this build of dtusms has no modem plugin (it was built without QtDBus)";

// The transport of this build: on Linux the plugin's, from the folders beside the running program;
// on Windows the linked-in core's. In a build without modem support, nullptr with kNoModemReason in
// `error`.
std::unique_ptr<modem::SmsTransport> LoadModemTransport(const modem::TransportOptions& options,
                                                        std::string& error);

// "Cannot load the modem support: <reason>" in the output's language.
std::string ModemUnavailableMessage(const CliOutput& output, const std::string& reason);

// A transport message in the output's language.
std::string RenderForOutput(const modem::Message& message, const CliOutput& output);

// The reply as one line: each line end (CR LF, LF or a lone CR) written as the two characters "\n".
std::string ReplyOnOneLine(const std::string& reply);

// Writes the transport's progress to `output.err` while a person watches it: one line per stage,
// the reply's countdown redrawn in place. Call Finish before writing anything else to `err`.
class ModemProgressLines final {
public:
    explicit ModemProgressLines(const CliOutput& output) : output_(output) {}
    void Show(const modem::Progress& progress);
    void Finish();

private:
    const CliOutput& output_;
    bool inPlace_ = false;
};

}  // namespace app
