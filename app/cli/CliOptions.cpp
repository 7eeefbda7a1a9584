#include "app/cli/CliOptions.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "app/cli/CliOptionTable.h"
#include "base/AsciiText.h"
#include "modem/GatewayReceiver.h"
#include "net/ConnectionListener.h"
#include "sms/PhoneNumber.h"

namespace app {
namespace {

// Decimal digits within `range`; nullopt for anything else.
std::optional<int> ParseNumber(std::string_view text, NumberRange range) {
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
    if (value < range.low || value > range.high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

bool HasPictureExtension(std::string_view path) {
    const std::string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string_view();
    return base::EqualsIgnoringAsciiCase(extension, ".png") ||
           base::EqualsIgnoringAsciiCase(extension, ".svg");
}

CliUsageError NotANumber(std::string_view flag, const std::string& value, NumberRange range) {
    return {"%s: \"%s\" is not a number from %s to %s",
            {std::string(flag), value, std::to_string(range.low), std::to_string(range.high)}};
}

// The error for `option` given without its value, saying what kind of value it wants.
CliUsageError MissingValue(const CliOption& option) {
    const std::string name(option.name);
    switch (option.value) {
        case OptionValue::File:
            return {"%s needs a file name", {name}};
        case OptionValue::Folder:
            return {"%s needs a folder name", {name}};
        case OptionValue::Language:
            return {"%s needs a language code such as en, zh_cn or zh_tw (\"\" for automatic)", {name}};
        case OptionValue::Choice:
            return {"%s needs a value, one of %s", {name, OptionChoices(option)}};
        case OptionValue::Port:
            return {"%s needs a value, a number from %s to %s",
                    {name, std::to_string(kFieldPortRange.low), std::to_string(kFieldPortRange.high)}};
        default:
            return {"%s needs a value", {name}};
    }
}

// Checks `value` against the kind of value `option` takes; --port waits for the command, which
// decides its range.
std::optional<CliUsageError> CheckValue(const CliOption& option, const std::string& value) {
    const std::string flag(option.name);
    switch (option.value) {
        case OptionValue::NonEmpty:
        case OptionValue::File:
        case OptionValue::Folder:
            if (value.empty()) {
                return MissingValue(option);
            }
            break;
        case OptionValue::Choice:
            if (option.target == OptionTarget::Encoding && !fleet::ParseEncodingName(value)) {
                return CliUsageError{"%s: \"%s\" is not one of %s", {flag, value, OptionChoices(option)}};
            }
            break;
        case OptionValue::Number:
            if (!ParseNumber(value, option.range)) {
                return NotANumber(flag, value, option.range);
            }
            break;
        case OptionValue::Address:
            if (!net::IsNumericAddress(value)) {
                return CliUsageError{"%s: \"%s\" is no numeric IPv4 or IPv6 address", {flag, value}};
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

// Splits the --modem values of a batch into its pool ("a,b" names two). A modem named twice would be
// opened by two senders at once; "all" stands for every modem found, so it stands alone.
std::optional<CliUsageError> SplitModems(CliModemOptions& modem) {
    std::vector<std::string> pool;
    for (const std::string& value : modem.modems) {
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            std::string name = value.substr(start, comma - start);
            if (name.empty()) {
                return CliUsageError{"%s: \"%s\" names an empty modem", {std::string("--modem"), value}};
            }
            if (std::find(pool.begin(), pool.end(), name) != pool.end()) {
                return CliUsageError{"%s: %s is named twice", {std::string("--modem"), name}};
            }
            pool.push_back(std::move(name));
            start = comma + 1;
        }
    }
    if (pool.size() > 1 && std::find(pool.begin(), pool.end(), "all") != pool.end()) {
        return CliUsageError{"%s: all stands alone, for every modem found", {std::string("--modem")}};
    }
    modem.modems = std::move(pool);
    return std::nullopt;
}

// Sets what `option` sets from its checked `value` (empty for a switch).
std::optional<CliUsageError> ApplyOption(const CliOption& option, const std::string& value,
                                         CliRequest& request) {
    switch (option.target) {
        case OptionTarget::Help:
        case OptionTarget::Version:
            break;
        case OptionTarget::Settings:
            request.settingsPath = value;
            break;
        case OptionTarget::Lang:
            request.language = value;
            break;
        case OptionTarget::Field:
            if (const auto error = ApplyFieldValue(option.field, value, request.fields)) {
                return CliUsageError{"%s: \"%s\" is not one of %s",
                                     {std::string(option.name), value, error->accepted}};
            }
            break;
        case OptionTarget::Length:
            request.showLength = true;
            break;
        case OptionTarget::Phone:
            request.phone = value;
            break;
        case OptionTarget::Output:
            request.outputPath = value;
            break;
        case OptionTarget::Modem:
            // send takes the last one given; batch splits them all into its pool.
            request.modem.modem = value;
            request.modem.modems.push_back(value);
            break;
        case OptionTarget::Smsc: {
            // Normalised once here; the number as dialled is what goes down to the modem.
            std::optional<std::string> number = sms::NormalizePhoneNumber(value);
            if (!number) {
                return CliUsageError{"%s: \"%s\" is not a phone number", {std::string(option.name), value}};
            }
            request.modem.smsc = std::move(*number);
            break;
        }
        case OptionTarget::GatewayListen:
            if (!modem::gateway::ParseListenAddress(value)) {
                return CliUsageError{"%s: \"%s\" is not ADDRESS:PORT (a numeric address, IPv6 in brackets)",
                                     {std::string(option.name), value}};
            }
            request.modem.gatewayListen = value;
            break;
        case OptionTarget::WaitReply:
            request.modem.waitReplySeconds = ParseNumber(value, option.range);
            break;
        case OptionTarget::Rate:
            request.modem.ratePerMinute = ParseNumber(value, option.range);
            break;
        case OptionTarget::QrDir:
            request.batch.qrDirectory = value;
            break;
        case OptionTarget::Send:
            request.batch.send = true;
            break;
        case OptionTarget::Resume:
            request.batch.resume = true;
            break;
        case OptionTarget::ResendDoubtful:
            request.batch.resendDoubtful = true;
            break;
        case OptionTarget::Encoding:
            request.batch.encoding = *fleet::ParseEncodingName(value);
            break;
        case OptionTarget::Quiet:
            request.batch.quiet = true;
            break;
        case OptionTarget::Bind:
            request.listen.bindAddress = value;
            break;
        case OptionTarget::Timeout:
            request.listen.timeoutSeconds = ParseNumber(value, option.range);
            break;
        case OptionTarget::Count:
            request.listen.count = ParseNumber(value, option.range);
            break;
        case OptionTarget::Fleet:
            request.listen.fleetPath = value;
            break;
    }
    return std::nullopt;
}

// What the arguments read so far have chosen.
struct ParseState {
    std::optional<CliCommand> command;
    bool help = false;
    bool version = false;
    std::vector<const CliOption*> given;  // every flag given, in order
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

// The option at args[i] with its value, inline ("--flag=value") or the next argument, which `i` then
// moves past. A next argument that begins with "--" is the next option, never a value: the option
// before it lacks its value.
std::optional<CliUsageError> TakeFlag(const std::vector<std::string>& args, std::size_t& i,
                                      CliRequest& request, ParseState& state) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string flag = arg.substr(0, equals);
    const std::optional<std::string> inlineValue =
        equals == std::string::npos ? std::nullopt : std::optional<std::string>(arg.substr(equals + 1));

    const CliOption* option = FindCliOption(flag == "-h" ? "--help" : flag);
    if (option == nullptr) {
        return CliUsageError{"unknown option \"%s\"", {flag}};
    }
    if (option->value == OptionValue::None) {
        if (inlineValue) {
            return CliUsageError{"%s takes no value", {flag}};
        }
        if (option->target == OptionTarget::Help || option->target == OptionTarget::Version) {
            (option->target == OptionTarget::Version ? state.version : state.help) = true;
            return std::nullopt;
        }
        state.given.push_back(option);
        return ApplyOption(*option, {}, request);
    }
    state.given.push_back(option);
    std::string value;
    if (inlineValue) {
        value = *inlineValue;
    } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
        value = args[++i];
    } else {
        return MissingValue(*option);
    }
    if (option->value == OptionValue::Port) {
        state.portText = value;
        return std::nullopt;
    }
    if (auto error = CheckValue(*option, value)) {
        return error;
    }
    return ApplyOption(*option, value, request);
}

// The checks of batch: its input, its pool of modems, and the options that need others.
std::optional<CliUsageError> CheckBatch(const ParseState& state, CliRequest& request) {
    if (request.batch.inputPath.empty()) {
        return CliUsageError{"%s needs a CSV file", {std::string("batch")}};
    }
    if (auto error = SplitModems(request.modem)) {
        return error;
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
        for (const CliOption* option : state.given) {
            if (option->commands == kModemCommands || option->target == OptionTarget::ResendDoubtful ||
                option->target == OptionTarget::Rate) {
                return CliUsageError{"%s needs %s", {std::string(option->name), std::string("--send")}};
            }
        }
    }
    return std::nullopt;
}

// --port: listen's own port, or the field of the other commands.
std::optional<CliUsageError> ApplyPort(const ParseState& state, CliRequest& request) {
    if (!state.portText) {
        return std::nullopt;
    }
    if (request.command == CliCommand::Listen) {
        request.listen.port = ParseNumber(*state.portText, kListenPortRange);
        if (!request.listen.port) {
            return NotANumber("--port", *state.portText, kListenPortRange);
        }
    } else if (ApplyFieldValue(FieldName::Port, *state.portText, request.fields)) {
        return NotANumber("--port", *state.portText, kFieldPortRange);
    }
    return std::nullopt;
}

// --output: qr writes a picture, listen the board of the fleet it watches.
std::optional<CliUsageError> CheckOutput(CliCommand command, const CliRequest& request) {
    if (command == CliCommand::Qr && request.outputPath && !HasPictureExtension(*request.outputPath)) {
        return CliUsageError{"%s: \"%s\" must end in .png or .svg",
                             {std::string("--output"), *request.outputPath}};
    }
    if (command == CliCommand::Listen && request.outputPath && !request.listen.fleetPath) {
        return CliUsageError{"%s needs %s", {std::string("--output"), std::string("--fleet")}};
    }
    return std::nullopt;
}

// The checks that need the command: each flag belongs to it, --port in its range, and batch's.
std::optional<CliUsageError> CheckForCommand(const ParseState& state, CliRequest& request) {
    const CliCommand command = request.command;
    for (const CliOption* option : state.given) {
        if ((option->commands & CommandBit(command)) == 0) {
            return CliUsageError{"%s does not apply to %s",
                                 {std::string(option->name), std::string(CommandNameOf(command))}};
        }
    }
    if (auto error = ApplyPort(state, request)) {
        return error;
    }
    if (auto error = CheckOutput(command, request)) {
        return error;
    }
    if (command == CliCommand::Batch) {
        return CheckBatch(state, request);
    }
    return std::nullopt;
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
