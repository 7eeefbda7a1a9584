// dtusms send: sends the SMS command to the DTU's phone number through a GSM modem and, when asked,
// waits for the DTU's reply.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ModemPlugin.h"
#include "app/cli/Subcommands.h"
#include "app/cli/TransportChoice.h"
#include "modem/KannelTransport.h"

namespace app {
namespace {

void CancelTransport(void* transport) noexcept {
    static_cast<modem::SmsTransport*>(transport)->Cancel();
}

// A gateway's own words for each part, and the delivery reports that came while the command ran.
void PrintGatewayOutcome(const modem::SmsTransport& transport, const modem::SendResult& result,
                         const CliOutput& output) {
    const auto* gatewayTransport = dynamic_cast<const modem::gateway::KannelTransport*>(&transport);
    if (gatewayTransport == nullptr) {
        return;
    }
    for (const std::string& answer : gatewayTransport->LastAnswers()) {
        output.out << "gateway: " << answer << '\n';
    }
    for (const std::string& reference : result.references) {
        if (const std::optional<modem::gateway::DeliveryReport> report =
                gatewayTransport->ReportFor(reference)) {
            output.out << "delivery: " << reference << ": "
                       << modem::gateway::DeliveryStatusWords(report->status) << '\n';
        }
    }
}

}  // namespace

int RunSend(const CliRequest& request, const CliOutput& output) {
    const std::optional<DtuMessage> message = ComposeDtuMessage(request, output);
    if (!message) {
        return kExitFailed;
    }

    ModemProgressLines progress(output);
    modem::TransportOptions options;
    options.onProgress = [&progress](const modem::Progress& stage) { progress.Show(stage); };
    std::string openError;
    const std::unique_ptr<modem::SmsTransport> transport =
        OpenTransport(request.modem, options, output, openError);
    if (!transport) {
        output.err << openError << '\n';
        return kExitFailed;
    }

    modem::SendRequest send;
    send.modem = request.modem.modem;
    send.number = message->phone;
    send.text = message->command;
    send.smsc = request.modem.smsc;
    send.replyTimeoutSeconds = request.modem.waitReplySeconds.value_or(0);
    modem::SendResult result;
    {
        const InterruptScope interrupt(CancelTransport, transport.get());
        result = transport->Send(send);
    }
    progress.Finish();

    // Every confirmed part is reported, also when a later one failed: those went out.
    for (const std::string& reference : result.references) {
        output.out << "sent: " << reference << '\n';
    }
    PrintGatewayOutcome(*transport, result, output);
    if (result.reply) {
        output.out << "reply: " << ReplyOnOneLine(*result.reply) << '\n';
    }
    output.out.flush();
    if (result.error.kind != modem::ErrorKind::None) {
        output.err << RenderForOutput(result.error.message, output) << '\n';
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace app
