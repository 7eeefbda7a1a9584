#include "app/cli/ModemPlugin.h"

#include <ostream>
#include <variant>

#include "app/cli/PluginLoader.h"
#include "app/cli/SharedLibrary.h"
#include "base/Placeholders.h"
#include "base/Translate.h"

namespace app {

std::unique_ptr<modem::SmsTransport> LoadModemTransport(const std::vector<std::string>& folders,
                                                        const modem::TransportOptions& options,
                                                        std::string& error) {
    const auto loaded = LoadPlugin(folders, modem::kPluginFileName, modem::kCreateSymbol);
    if (const auto* failure = std::get_if<PluginLoadError>(&loaded)) {
        error = failure->message;
        return nullptr;
    }
    const auto& plugin = std::get<LoadedPlugin>(loaded);
    std::string reason;
    const auto version = reinterpret_cast<modem::ApiVersionFn>(
        FindSharedLibrarySymbol(plugin.library, modem::kApiVersionSymbol, reason));
    if (version == nullptr) {
        error = plugin.path + " is not the modem plugin";
        return nullptr;
    }
    // Objects cross the boundary as they are laid out in this build: a plugin of another interface
    // version would misread them.
    if (const int built = version(); built != modem::kPluginApiVersion) {
        error = plugin.path + " was built for interface version " + std::to_string(built) + ", not " +
                std::to_string(modem::kPluginApiVersion);
        return nullptr;
    }
    const auto create = reinterpret_cast<modem::CreateFn>(plugin.entry);
    std::unique_ptr<modem::SmsTransport> transport(create(&options));
    if (!transport) {
        error = "the modem plugin could not create a transport";
    }
    return transport;
}

std::string ModemUnavailableMessage(const CliOutput& output, const std::string& reason) {
    return base::FillPlaceholders(
        base::TranslateOrKeep(output.translate, "Cannot load the modem support: %s"), {reason});
}

std::string RenderForOutput(const modem::Message& message, const CliOutput& output) {
    return modem::RenderMessage(message, output.translate);
}

std::string ReplyOnOneLine(const std::string& reply) {
    std::string line;
    line.reserve(reply.size());
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] == '\r' || reply[i] == '\n') {
            line += "\\n";
            if (reply[i] == '\r' && i + 1 < reply.size() && reply[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += reply[i];
        }
    }
    return line;
}

void ModemProgressLines::Show(const modem::Progress& progress) {
    if (!output_.errIsTerminal) {
        return;
    }
    const std::string text = RenderForOutput(progress.message, output_);
    // The countdown comes every second: one line redrawn, not two minutes of lines.
    if (progress.stage == modem::Stage::WaitingForReply) {
        output_.err << '\r' << text << "\033[K" << std::flush;
        inPlace_ = true;
        return;
    }
    Finish();
    output_.err << text << '\n' << std::flush;
}

void ModemProgressLines::Finish() {
    if (inPlace_) {
        output_.err << '\n';
        inPlace_ = false;
    }
}

}  // namespace app
