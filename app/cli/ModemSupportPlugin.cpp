#include "app/cli/ModemPlugin.h"
#include "app/cli/PluginLoader.h"
#include "base/ProgramPath.h"

namespace app {

std::unique_ptr<modem::SmsTransport> LoadModemTransport(const modem::TransportOptions& options,
                                                        std::string& error) {
    if (!kModemBuilt) {
        error = kNoModemReason;
        return nullptr;
    }
    return LoadModemTransport(PluginFolders(base::ProgramFilePath()), options, error);
}

}  // namespace app
