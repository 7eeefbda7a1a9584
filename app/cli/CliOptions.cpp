#include "app/cli/CliOptions.h"

#include <limits>
#include <string_view>

#include "base/AsciiText.h"
#include "sms/PhoneNumber.h"

namespace app {
namespace {

using CommandMask = unsigned;

constexpr CommandMask Bit(CliCommand command) {
    return 1U << static_cast<unsigned>(command);
}

constexpr CommandMask kFieldCommands = Bit(CliCommand::Sms) | Bit(CliCommand::CheckPort) |
                                       Bit(CliCommand::JudgeMapping) | Bit(CliCommand::WanIp) |
                                       Bit(CliCommand::Qr) | Bit(CliCommand::Send);
constexpr CommandMask kModemCommands = Bit(CliCommand::Send) | Bit(CliCommand::Batch);
constexpr CommandMask kEveryCommand = ~0U;

enum class Flag {
    Settings,
    Lang,
    Field,
    Length,
    Phone,
    Output,
    Modem,
    Smsc,
    WaitReply,
    QrDir,
    Send,
    Resume,
    ResendDoubtful,
    Encoding,
    Quiet,
    Bind,
    Timeout,
    Count,
};

struct FlagSpec {
    std::string_view name;
    Flag flag;
    bool takesValue;
    CommandMask commands;
    FieldName field = FieldName::Type;  // for Flag::Field
};

// Every flag. --port is a field flag whose value listen reads as its own port.
constexpr FlagSpec kFlags[] = {
    {"--settings", Flag::Settings, true, kEveryCommand},
    {"--lang", Flag::Lang, true, kEveryCommand},
    {"--type", Flag::Field, true, kFieldCommands, FieldName::Type},
    {"--mode", Flag::Field, true, kFieldCommands, FieldName::Mode},
    {"--ip", Flag::Field, true, kFieldCommands, FieldName::Ip},
    {"--domain", Flag::Field, true, kFieldCommands, FieldName::Domain},
    {"--port", Flag::Field, true, kFieldCommands | Bit(CliCommand::Listen), FieldName::Port},
    {"--apn", Flag::Field, true, kFieldCommands, FieldName::Apn},
    {"--other-apn", Flag::Field, true, kFieldCommands, FieldName::OtherApn},
    {"--dtu", Flag::Field, true, kFieldCommands, FieldName::Dtu},
    {"--length", Flag::Length, false, Bit(CliCommand::Sms)},
    {"--phone", Flag::Phone, true, Bit(CliCommand::Qr) | Bit(CliCommand::Send)},
    {"--output", Flag::Output, true, Bit(CliCommand::Qr) | Bit(CliCommand::Batch)},
    {"--modem", Flag::Modem, true, kModemCommands},
    {"--smsc", Flag::Smsc, true, kModemCommands},
    {"--wait-reply", Flag::WaitReply, true, kModemCommands},
    {"--qr-dir", Flag::QrDir, true, Bit(CliCommand::Batch)},
    {"--send", Flag::Send, false, Bit(CliCommand::Batch)},
    {"--resume", Flag::Resume, false, Bit(CliCommand::Batch)},
    {"--resend-doubtful", Flag::ResendDoubtful, false, Bit(CliCommand::Batch)},
    {"--encoding", Flag::Encoding, true, Bit(CliCommand::Batch)},
    {"--quiet", Flag::Quiet, false, Bit(CliCommand::Batch)},
    {"--bind", Flag::Bind, true, Bit(CliCommand::Listen)},
    {"--timeout", Flag::Timeout, true, Bit(CliCommand::Listen)},
    {"--count", Flag::Count, true, Bit(CliCommand::Listen)},
};

const FlagSpec* FindFlag(std::string_view name) {
    for (const FlagSpec& option : kFlags) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

std::string_view CommandName(CliCommand command) {
    for (const CliSubcommand& known : kCliSubcommands) {
        if (known.command == command) {
            return known.name;
        }
    }
    return {};
}

// Decimal digits from `low` to `high`; nullopt for anything else.
std::optional<int> ParseNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

bool HasPictureExtension(std::string_view path) {
    const std::string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string_view();
    return base::EqualsIgnoringAsciiCase(extension, ".png") ||
           base::EqualsIgnoringAsciiCase(extension, ".svg");
}

CliUsageError NotANumber(std::string_view flag, const std::string& value, int low, int high) {
    return {"%s: \"%s\" is not a number from %s to %s",
            {std::string(flag), value, std::to_string(low), std::to_string(high)}};
}

// The error for `option` given without its value.
CliUsageError MissingValue(const FlagSpec& option) {
    const std::string name(option.name);
    switch (option.flag) {
        case Flag::Settings:
            return {"%s needs a file name", {name}};
        case Flag::Lang:
            return {"%s needs a language code such as en, zh_cn or zh_tw (\"\" for automatic)", {name}};
        case Flag::Field:
            if (option.field == FieldName::Port) {
                return {"%s needs a value, a number from 1000 to 99999", {name}};
            }
            if (const std::string choices = FieldChoiceList(option.field); !choices.empty()) {
                return {"%s needs a value, one of %s", {name, choices}};
            }
            return {"%s needs a value", {name}};
        case Flag::Output:
            return {"%s needs a file name", {name}};
        case Flag::QrDir:
            return {"%s needs a folder name", {name}};
        case Flag::Encoding:
            return {"%s needs a value, one of utf-8|gb18030", {name}};
        default:
            return {"%s needs a value", {name}};
    }
}

// Applies a flag whose meaning does not depend on the command; --port waits for the command.
std::optional<CliUsageError> ApplyFlag(const FlagSpec& option, const std::string& value,
                                       CliRequest& request) {
    const std::string flag(option.name);
    const auto needsText = [&]() -> std::optional<CliUsageError> {
        if (value.empty()) {
            return MissingValue(option);
        }
        return std::nullopt;
    };
    switch (option.flag) {
        case Flag::Settings:
            if (value.empty()) {
                return CliUsageError{"%s needs a file name", {flag}};
            }
            request.settingsPath = value;
            break;
        case Flag::Lang:
            request.language = value;
            break;
        case Flag::Field:
            if (option.field == FieldName::Port) {
                break;
            }
            if (const auto error = ApplyFieldValue(option.field, value, request.fields)) {
                return CliUsageError{"%s: \"%s\" is not one of %s", {flag, value, error->accepted}};
            }
            break;
        case Flag::Length:
            request.showLength = true;
            break;
        case Flag::Phone:
            request.phone = value;
            break;
        case Flag::Output:
            request.outputPath = value;
            return needsText();
        case Flag::Modem:
            request.modem.modem = value;
            return needsText();
        case Flag::Smsc:
            if (!sms::NormalizePhoneNumber(value)) {
                return CliUsageError{"%s: \"%s\" is not a phone number", {flag, value}};
            }
            request.modem.smsc = value;
            break;
        case Flag::WaitReply:
            request.modem.waitReplySeconds = ParseNumber(value, 1, 86400);
            if (!request.modem.waitReplySeconds) {
                return NotANumber(flag, value, 1, 86400);
            }
            break;
        case Flag::QrDir:
            request.batch.qrDirectory = value;
            return needsText();
        case Flag::Send:
            request.batch.send = true;
            break;
        case Flag::Resume:
            request.batch.resume = true;
            break;
        case Flag::ResendDoubtful:
            request.batch.resendDoubtful = true;
            break;
        case Flag::Encoding: {
            const std::optional<fleet::EncodingChoice> choice = fleet::ParseEncodingName(value);
            if (!choice) {
                return CliUsageError{"%s: \"%s\" is not one of %s",
                                     {flag, value, std::string("utf-8|gb18030")}};
            }
            request.batch.encoding = *choice;
            break;
        }
        case Flag::Quiet:
            request.batch.quiet = true;
            break;
        case Flag::Bind:
            request.listen.bindAddress = value;
            return needsText();
        case Flag::Timeout:
            request.listen.timeoutSeconds = ParseNumber(value, 1, 604800);
            if (!request.listen.timeoutSeconds) {
                return NotANumber(flag, value, 1, 604800);
            }
            break;
        case Flag::Count:
            request.listen.count = ParseNumber(value, 1, 1000000);
            if (!request.listen.count) {
                return NotANumber(flag, value, 1, 1000000);
            }
            break;
    }
    return std::nullopt;
}

// What the arguments read so far have chosen.
struct ParseState {
    std::optional<CliCommand> command;
    bool help = false;
    bool version = false;
    std::vector<const FlagSpec*> given;  // every flag given, in order
    std::optional<std::string> portText;
};

// A word that is no flag: the subcommand, given once, then batch's input file.
std::optional<CliUsageError> TakeWord(const std::string& arg, ParseState& state, CliRequest& request) {
    if (state.command == CliCommand::Batch && request.batch.inputPath.empty() && !arg.empty()) {
        request.batch.inputPath = arg;
        return std::nullopt;
    }
    if (state.command) {
        return CliUsageError{"unexpected argument \"%s\"", {arg}};
    }
    for (const CliSubcommand& known : kCliSubcommands) {
        if (known.name == arg) {
            state.command = known.command;
            return std::nullopt;
        }
    }
    return CliUsageError{"unknown command \"%s\"; expected %s", {arg, SubcommandNameList()}};
}

// The flag at args[i] with its value, inline ("--flag=value") or the next argument, which `i` then
// moves past.
std::optional<CliUsageError> TakeFlag(const std::vector<std::string>& args, std::size_t& i,
                                      CliRequest& request, ParseState& state) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string flag = arg.substr(0, equals);
    const std::optional<std::string> inlineValue =
        equals == std::string::npos ? std::nullopt : std::optional<std::string>(arg.substr(equals + 1));

    if (flag == "--help" || flag == "-h" || flag == "--version") {
        if (inlineValue) {
            return CliUsageError{"%s takes no value", {flag}};
        }
        (flag == "--version" ? state.version : state.help) = true;
        return std::nullopt;
    }
    const FlagSpec* option = FindFlag(flag);
    if (option == nullptr) {
        return CliUsageError{"unknown option \"%s\"", {flag}};
    }
    state.given.push_back(option);
    if (!option->takesValue) {
        if (inlineValue) {
            return CliUsageError{"%s takes no value", {flag}};
        }
        return ApplyFlag(*option, {}, request);
    }
    std::string value;
    if (inlineValue) {
        value = *inlineValue;
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        return MissingValue(*option);
    }
    if (option->flag == Flag::Field && option->field == FieldName::Port) {
        state.portText = value;
        return std::nullopt;
    }
    return ApplyFlag(*option, value, request);
}

// The checks of batch: its file and the flags that only make sense together.
std::optional<CliUsageError> CheckBatch(const ParseState& state, const CliRequest& request) {
    if (request.batch.inputPath.empty()) {
        return CliUsageError{"%s needs a CSV file", {std::string("batch")}};
    }
    if (request.batch.resendDoubtful && !request.batch.resume) {
        return CliUsageError{"%s needs %s", {std::string("--resend-doubtful"), std::string("--resume")}};
    }
    if (request.batch.resume && !request.outputPath) {
        return CliUsageError{"%s needs %s", {std::string("--resume"), std::string("--output")}};
    }
    // Resuming reads the input twice (once to check the earlier output against it), which a pipe
    // cannot give.
    if (request.batch.resume && request.batch.inputPath == "-") {
        return CliUsageError{"%s needs a file, not standard input", {std::string("--resume")}};
    }
    if (!request.batch.send) {
        for (const FlagSpec* option : state.given) {
            if (option->flag == Flag::Modem || option->flag == Flag::Smsc ||
                option->flag == Flag::WaitReply || option->flag == Flag::ResendDoubtful) {
                return CliUsageError{"%s needs %s", {std::string(option->name), std::string("--send")}};
            }
        }
    }
    return std::nullopt;
}

// The checks that need the command: each flag belongs to it, --port in its range, and batch's.
std::optional<CliUsageError> CheckForCommand(const ParseState& state, CliRequest& request) {
    const CliCommand command = request.command;
    for (const FlagSpec* option : state.given) {
        if ((option->commands & Bit(command)) == 0) {
            return CliUsageError{"%s does not apply to %s",
                                 {std::string(option->name), std::string(CommandName(command))}};
        }
    }
    if (state.portText) {
        if (command == CliCommand::Listen) {
            request.listen.port = ParseNumber(*state.portText, 1, 65535);
            if (!request.listen.port) {
                return NotANumber("--port", *state.portText, 1, 65535);
            }
        } else if (const auto error = ApplyFieldValue(FieldName::Port, *state.portText, request.fields)) {
            return CliUsageError{"%s: \"%s\" is not a number from 1000 to 99999",
                                 {std::string("--port"), *state.portText}};
        }
    }
    if (command == CliCommand::Qr && request.outputPath && !HasPictureExtension(*request.outputPath)) {
        return CliUsageError{"%s: \"%s\" must end in .png or .svg",
                             {std::string("--output"), *request.outputPath}};
    }
    if (command != CliCommand::Batch) {
        return std::nullopt;
    }
    return CheckBatch(state, request);
}

}  // namespace

CliParseResult ParseCommandLine(const std::vector<std::string>& args) {
    CliRequest request;
    ParseState state;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<CliUsageError> error;
        if (arg.size() < 2 || arg[0] != '-') {
            error = TakeWord(arg, state, request);
        } else {
            error = TakeFlag(args, i, request, state);
        }
        if (error) {
            return *error;
        }
    }

    if (state.help) {
        request.command = CliCommand::Help;
        return request;
    }
    if (state.version) {
        request.command = CliCommand::Version;
        return request;
    }
    if (!state.command) {
        if (!state.given.empty()) {
            return CliUsageError{"no command given; expected %s", {SubcommandNameList()}};
        }
        request.command = CliCommand::Help;
        return request;
    }
    request.command = *state.command;
    if (auto error = CheckForCommand(state, request)) {
        return *error;
    }
    return request;
}

std::string SubcommandNameList() {
    std::string list;
    for (std::size_t i = 0; i < kCliSubcommands.size(); ++i) {
        if (i > 0) {
            list += i + 1 == kCliSubcommands.size() ? " or " : ", ";
        }
        list += kCliSubcommands[i].name;
    }
    return list;
}

}  // namespace app
