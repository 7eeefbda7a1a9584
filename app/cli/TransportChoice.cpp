#include "app/cli/TransportChoice.h"

#include <stdexcept>

#include "app/cli/ModemPlugin.h"
#include "base/MessageError.h"
#include "modem/KannelTransport.h"

namespace app {

std::unique_ptr<modem::SmsTransport> OpenTransport(const CliModemOptions& choice,
                                                   const modem::TransportOptions& options,
                                                   const CliOutput& output, std::string& error,
                                                   modem::gateway::GatewayHub* hub) {
    if (!modem::gateway::IsGatewayUrl(choice.modem)) {
        std::string reason;
        std::unique_ptr<modem::SmsTransport> transport = LoadModemTransport(options, reason);
        if (!transport) {
            error = ModemUnavailableMessage(output, reason);
        }
        return transport;
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
    } catch (const base::MessageError& failure) {
        error = Say(output, failure.Format(), failure.Args());
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    return nullptr;
}

std::string ModemShown(const std::string& modem) {
    if (const std::optional<modem::gateway::KannelEndpoint> endpoint =
            modem::gateway::ParseKannelUrl(modem)) {
        return endpoint->url;
    }
    return modem;
}

}  // namespace app
