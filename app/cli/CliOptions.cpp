#include "app/cli/CliOptions.h"

#include <array>
#include <string_view>

#include "base/AsciiText.h"

namespace app {
namespace {

struct Choice {
    std::string_view name;
    int value;
};

constexpr std::array<Choice, 2> kTypes{{{"config", 0}, {"query", 1}}};
constexpr std::array<Choice, 2> kModes{{{"static", 0}, {"domain", 1}}};
constexpr std::array<Choice, 4> kApns{{{"cmnet", 0}, {"cmwap", 1}, {"uninet", 2}, {"other", 3}}};

template <std::size_t N>
std::string ChoiceList(const std::array<Choice, N>& choices) {
    std::string list;
    for (const Choice& choice : choices) {
        list += list.empty() ? "" : "|";
        list += choice.name;
    }
    return list;
}

template <std::size_t N>
std::optional<int> FindChoice(const std::array<Choice, N>& choices, std::string_view text) {
    for (const Choice& choice : choices) {
        if (base::EqualsIgnoringAsciiCase(choice.name, text)) {
            return choice.value;
        }
    }
    return std::nullopt;
}

std::optional<int> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1000 || value > 99999) {
        return std::nullopt;
    }
    return value;
}

CliUsageError NotAPort(std::string_view flag, std::string_view value) {
    return {"%s: \"%s\" is not a number from 1000 to 99999", {std::string(flag), std::string(value)}};
}

// Applies one flag with its value to `request`; an error when the value is not accepted.
std::optional<CliUsageError> ApplyFlag(std::string_view flag, const std::string& value, CliRequest& request) {
    CliFieldOverrides& fields = request.fields;
    const auto choose = [&](const auto& choices, std::optional<int>& field) -> std::optional<CliUsageError> {
        field = FindChoice(choices, value);
        if (!field) {
            return CliUsageError{"%s: \"%s\" is not one of %s",
                                 {std::string(flag), value, ChoiceList(choices)}};
        }
        return std::nullopt;
    };
    if (flag == "--settings") {
        if (value.empty()) {
            return CliUsageError{"%s needs a file name", {std::string(flag)}};
        }
        request.settingsPath = value;
    } else if (flag == "--lang") {
        request.language = value;
    } else if (flag == "--type") {
        return choose(kTypes, fields.smsCommandType);
    } else if (flag == "--mode") {
        return choose(kModes, fields.serverAddressMode);
    } else if (flag == "--apn") {
        return choose(kApns, fields.serviceNetwork);
    } else if (flag == "--port") {
        fields.port = ParsePort(value);
        if (!fields.port) {
            return NotAPort(flag, value);
        }
    } else if (flag == "--ip") {
        fields.staticIp = value;
    } else if (flag == "--domain") {
        fields.domainAddress = value;
    } else if (flag == "--other-apn") {
        fields.otherApn = value;
    } else if (flag == "--dtu") {
        fields.dtuNumber = value;
    }
    return std::nullopt;
}

// The error for `flag` given without its value; nullopt for a name that is no flag with a value.
std::optional<CliUsageError> MissingValue(std::string_view flag) {
    const std::string name(flag);
    if (flag == "--settings") {
        return CliUsageError{"%s needs a file name", {name}};
    }
    if (flag == "--lang") {
        return CliUsageError{"%s needs a language code such as en, zh_cn or zh_tw (\"\" for automatic)",
                             {name}};
    }
    if (flag == "--type") {
        return CliUsageError{"%s needs a value, one of %s", {name, ChoiceList(kTypes)}};
    }
    if (flag == "--mode") {
        return CliUsageError{"%s needs a value, one of %s", {name, ChoiceList(kModes)}};
    }
    if (flag == "--apn") {
        return CliUsageError{"%s needs a value, one of %s", {name, ChoiceList(kApns)}};
    }
    if (flag == "--port") {
        return CliUsageError{"%s needs a value, a number from 1000 to 99999", {name}};
    }
    if (flag == "--ip" || flag == "--domain" || flag == "--other-apn" || flag == "--dtu") {
        return CliUsageError{"%s needs a value", {name}};
    }
    return std::nullopt;
}

// What the arguments read so far have chosen.
struct ParseState {
    std::optional<CliCommand> command;
    bool help = false;
    bool version = false;
    bool anyFieldFlag = false;
};

// A word that is no flag: the subcommand, given once.
std::optional<CliUsageError> TakeCommand(const std::string& arg, ParseState& state) {
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
    // Every flag that takes a value has a message for a missing one, so that table also tells a
    // known flag from an unknown one.
    std::optional<CliUsageError> missingValue = MissingValue(flag);
    if (!missingValue) {
        return CliUsageError{"unknown option \"%s\"", {flag}};
    }
    std::string value;
    if (inlineValue) {
        value = *inlineValue;
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        return missingValue;
    }
    state.anyFieldFlag = true;
    return ApplyFlag(flag, value, request);
}

}  // namespace

CliParseResult ParseCommandLine(const std::vector<std::string>& args) {
    CliRequest request;
    ParseState state;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<CliUsageError> error;
        if (arg.size() < 2 || arg[0] != '-') {
            error = TakeCommand(arg, state);
        } else {
            error = TakeFlag(args, i, request, state);
        }
        if (error) {
            return *error;
        }
    }

    // Help wins over everything, --version over a command; no arguments at all also give the help.
    if (!state.help && !state.version && !state.command && state.anyFieldFlag) {
        return CliUsageError{"no command given; expected %s", {SubcommandNameList()}};
    }
    request.command = state.help      ? CliCommand::Help
                      : state.version ? CliCommand::Version
                                      : state.command.value_or(CliCommand::Help);
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
