#include <memory>

#include "app/cli/ModemPlugin.h"
#include "modem/ModemTransport.h"

namespace app {

std::unique_ptr<modem::SmsTransport> LoadModemTransport(const modem::TransportOptions& options,
                                                        std::string& /*error*/) {
    return std::make_unique<modem::ModemTransport>(options);
}

}  // namespace app
