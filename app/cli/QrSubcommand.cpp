// dtusms qr: the SMS command as a QR code that a phone's camera opens as a new message to the DTU:
// drawn on the terminal, or written as a PNG or SVG picture.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/CliFiles.h"
#include "app/cli/Subcommands.h"
#include "app/cli/Terminal.h"
#include "base/AsciiText.h"
#include "base/Translate.h"
#include "qr/QrCode.h"
#include "qr/QrImage.h"

namespace app {
namespace {

// The picture for `path`, by its extension (the parser accepts only .png and .svg).
std::string Picture(const qr::QrCode& code, const std::string& path) {
    const bool svg = path.size() >= 4 &&
                     base::EqualsIgnoringAsciiCase(std::string_view(path).substr(path.size() - 4), ".svg");
    return svg ? qr::RenderSvg(code) : qr::RenderPng(code);
}

}  // namespace

int RunQr(const CliRequest& request, const CliOutput& output) {
    const std::optional<DtuMessage> message = ComposeDtuMessage(request, output);
    if (!message) {
        return kExitFailed;
    }
    std::optional<qr::QrCode> code;
    try {
        code = qr::QrCode::Encode(qr::SmsToPayload(message->phone, message->command));
    } catch (const qr::QrError& error) {
        if (error.reason() != qr::QrError::Reason::kPayloadTooLong) {
            throw;
        }
        output.err << base::TranslateOrKeep(output.translate, "The command is too long for a QR code")
                   << '\n';
        return kExitFailed;
    }
    if (!request.outputPath) {
        const TerminalColours colours;
        const bool coloured = output.outIsTerminal && colours.available();
        output.out << qr::RenderTerminal(
            *code, coloured ? qr::TerminalStyle::kAnsiColours : qr::TerminalStyle::kPlain);
        output.out.flush();
        return kExitDone;
    }
    if (const std::string failure =
            WriteWholeFile(*request.outputPath, Picture(*code, *request.outputPath), output);
        !failure.empty()) {
        output.err << failure << '\n';
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace app
