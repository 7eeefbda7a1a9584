#include "app/cli/CliHelp.h"

#include <string_view>

#include "app/cli/CliOptions.h"
#include "base/Placeholders.h"

namespace app {
namespace {

// An option's row: its syntax, then its description from kDescriptionColumn on; a description of
// several lines continues at that column.
struct HelpOption {
    std::string_view syntax;
    std::string_view description;
};

constexpr HelpOption kOptions[] = {
    {"--settings FILE", "settings file (default: GPRSInfo.ini beside the program)"},
    {"--lang CODE",
     "language of the messages: en, zh_cn, zh_tw, ... or \"\"\n"
     "for automatic (default: the window's choice in the file)"},
    {"--type config|query", "SMS command type"},
    {"--mode static|domain", "server address mode"},
    {"--ip TEXT", "static IP"},
    {"--domain TEXT", "domain address"},
    {"--port N", "server port, 1000 to 99999"},
    {"--apn cmnet|cmwap|uninet|other", "service network (APN)"},
    {"--other-apn TEXT", "APN used with --apn other"},
    {"--dtu TEXT", "DTU number"},
    {"--help", "show this help"},
    {"--version", "show the version"},
};

// The options that belong to one or a few commands, each description naming them.
constexpr HelpOption kCommandOptions[] = {
    {"--length", "sms: also print parts=, encoding=, units= and limit=\non standard error"},
    {"--phone NUMBER", "qr, send: the DTU's phone number\n(default: the one stored by the window)"},
    {"--output FILE",
     "qr: a picture, FILE.png or FILE.svg (default: drawn\non the terminal); batch: the CSV "
     "written\n(default: standard output)"},
    {"--modem auto|mm|DEVICE", "send, batch: the modem (default: auto)"},
    {"--smsc NUMBER", "send, batch: service-centre number (default: the SIM's)"},
    {"--wait-reply SECONDS", "send, batch: wait for the DTU's reply, 1 to 86400"},
    {"batch FILE.csv",
     "columns dtu, phone, type, mode, ip, domain, port, apn,\nother_apn; an empty cell takes the settings "
     "file's field"},
    {"--qr-dir DIR", "batch: a QR code picture per row in DIR"},
    {"--send", "batch: send each row through the modem"},
    {"--resume", "batch: keep the rows already sent in --output"},
    {"--resend-doubtful", "batch: with --resume, send again the rows that may\nhave been sent"},
    {"--encoding utf-8|gb18030",
     "batch: the file's encoding (default: UTF-8 when it is\nvalid UTF-8, else GB18030)"},
    {"--quiet", "batch: no progress on standard error"},
    {"--port N", "listen: the port, 1 to 65535 (default: the server port)"},
    {"--bind ADDRESS", "listen: the local address (default: 0.0.0.0, every one)"},
    {"--timeout SECONDS", "listen: stop after this long"},
    {"--count N", "listen: stop after N connections"},
};

constexpr std::size_t kIndent = 2;
constexpr std::size_t kCommandColumn = 17;
constexpr std::size_t kDescriptionColumn = 35;

// "  <name>" padded to `column`, then `text`; a name too long for its column gets one space.
void AppendRow(std::string& help, std::string_view name, std::string_view text, std::size_t column) {
    const std::size_t used = kIndent + name.size();
    help.append(kIndent, ' ').append(name).append(used < column ? column - used : 1, ' ');
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        help.append(text.substr(start, end - start)).append("\n");
        if (end == std::string_view::npos) {
            break;
        }
        help.append(column, ' ');
        start = end + 1;
    }
}

}  // namespace

std::string EnglishHelpText() {
    std::string help =
        "Usage: dtusms [COMMAND] [OPTIONS]\n"
        "Composes the configuration SMS for a TQ-3VOVE DTU and checks the server side.\n"
        "Without a command the window opens.\n"
        "\n"
        "Commands:\n";
    for (const CliSubcommand& subcommand : kCliSubcommands) {
        AppendRow(help, subcommand.name, subcommand.summary, kCommandColumn);
    }
    help += "\nOptions (fields are read from the settings file; each option replaces one):\n";
    for (const HelpOption& option : kOptions) {
        AppendRow(help, option.syntax, option.description, kDescriptionColumn);
    }
    help += "\nOptions of single commands:\n";
    for (const HelpOption& option : kCommandOptions) {
        AppendRow(help, option.syntax, option.description, kDescriptionColumn);
    }
    help +=
        "Both \"--option value\" and \"--option=value\" are accepted.\n"
        "\n"
        "Exit status: 0 done, 1 missing field or failed check, 2 bad option.\n"
        "send, batch and listen also exit with 1 when the modem or a row failed, no reply\n"
        "came in time, or no DTU connected.\n";
    return help;
}

std::string HelpText(const base::TranslateFn& translate) {
    return base::TranslateOrKeep(translate, EnglishHelpText());
}

std::string SettingsFileLine(const base::TranslateFn& translate, const std::string& path) {
    return base::FillPlaceholders(base::TranslateOrKeep(translate, "Settings file: %s"), {path}) + "\n";
}

}  // namespace app
