#include "app/cli/TransportChoice.h"

#include <stdexcept>

#include "app/cli/ModemPlugin.h"
#include "modem/KannelTransport.h"

namespace app {

std::unique_ptr<modem::SmsTransport> OpenTransport(const CliModemOptions& choice,
                                                   const modem::TransportOptions& options, std::string& error,
                                                   modem::gateway::GatewayHub* hub) {
    if (!modem::gateway::IsGatewayUrl(choice.modem)) {
        return LoadModemTransport(options, error);
    }
    modem::gateway::KannelOptions kannel;
    kannel.hub = hub;
    kannel.replies = options.replies;
    if (hub == nullptr && choice.gatewayListen) {
        kannel.receiver = modem::gateway::ParseListenAddress(*choice.gatewayListen);
    }
    kannel.onProgress = options.onProgress;
    kannel.onLog = options.onLog;
    try {
        return std::make_unique<modem::gateway::KannelTransport>(choice.modem, std::move(kannel));
    } catch (const std::exception& failure) {
        error = failure.what();
        return nullptr;
    }
}

std::string ModemShown(const std::string& modem) {
    if (const std::optional<modem::gateway::KannelEndpoint> endpoint =
            modem::gateway::ParseKannelUrl(modem)) {
        return endpoint->url;
    }
    return modem;
}

}  // namespace app
