#include "app/cli/CliHelp.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/cli/CliOptionTable.h"
#include "base/Placeholders.h"

namespace app {
namespace {

constexpr std::size_t kIndent = 2;
constexpr std::size_t kCommandColumn = 17;
constexpr std::size_t kDescriptionColumn = 35;
constexpr std::size_t kLineWidth = 100;

// "  <name>" padded to `column`, then `text` broken between words so that no line passes
// kLineWidth; a name too long for its column gets one space, a word too long for a line a line of
// its own.
void AppendRow(std::string& help, std::string_view name, std::string_view text, std::size_t column) {
    const std::size_t used = kIndent + name.size();
    help.append(kIndent, ' ').append(name).append(used < column ? column - used : 1, ' ');
    std::size_t lineLength = std::max(used + 1, column);
    bool lineEmpty = true;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        end = end == std::string_view::npos ? text.size() : end;
        const std::string_view word = text.substr(start, end - start);
        if (!lineEmpty && lineLength + 1 + word.size() > kLineWidth) {
            help.append("\n").append(column, ' ');
            lineLength = column;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            help += ' ';
            ++lineLength;
        }
        help.append(word);
        lineLength += word.size();
        lineEmpty = false;
        start = end + 1;
    }
    help += '\n';
}

// The commands of `commands` as a sentence lists them: "qr and send".
std::string CommandList(CommandMask commands, std::string_view lastSeparator) {
    std::vector<std::string_view> names;
    for (const CliSubcommand& subcommand : kCliSubcommands) {
        if ((commands & CommandBit(subcommand.command)) != 0) {
            names.push_back(subcommand.name);
        }
    }
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            list += i + 1 == names.size() ? lastSeparator : ", ";
        }
        list += names[i];
    }
    return list;
}

std::string Range(NumberRange range) {
    return std::to_string(range.low) + " to " + std::to_string(range.high);
}

std::string SyntaxOf(const CliOption& option) {
    std::string syntax(option.name);
    const std::string value =
        option.value == OptionValue::Choice ? OptionChoices(option) : std::string(option.valueName);
    if (!value.empty()) {
        syntax += ' ';
        syntax += value;
    }
    return syntax;
}

// The option's description with the range of its value; `prefixCommands` names the commands that take
// it first.
std::string DescriptionOf(const CliOption& option, bool prefixCommands) {
    std::string text;
    if (prefixCommands) {
        text = CommandList(option.commands, ", ") + ": ";
    }
    text += option.help;
    if (option.value == OptionValue::Number) {
        text += ", " + Range(option.range);
    } else if (option.value == OptionValue::Port) {
        text += ", " + Range(kFieldPortRange) + "; listen: the port to listen on, " +
                Range(kListenPortRange) + " (default: the server port)";
    }
    return text;
}

enum class OptionGroup { EveryCommand, Fields, SingleCommands };

OptionGroup GroupOf(const CliOption& option) {
    if (option.commands == kEveryCommand) {
        return OptionGroup::EveryCommand;
    }
    if ((option.commands & kFieldCommands) == kFieldCommands) {
        return OptionGroup::Fields;
    }
    return OptionGroup::SingleCommands;
}

void AppendGroup(std::string& help, OptionGroup group) {
    for (const CliOption& option : kCliOptions) {
        if (GroupOf(option) == group) {
            AppendRow(help, SyntaxOf(option), DescriptionOf(option, group == OptionGroup::SingleCommands),
                      kDescriptionColumn);
        }
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
    help += "\nOptions of every command:\n";
    AppendGroup(help, OptionGroup::EveryCommand);
    help += "\nOptions of " + CommandList(kFieldCommands, " and ") + " (each replaces a stored field):\n";
    AppendGroup(help, OptionGroup::Fields);
    help += "\nOptions of single commands (each description names its commands):\n";
    AppendGroup(help, OptionGroup::SingleCommands);
    AppendRow(help, "batch FILE.csv",
              "batch: columns dtu, phone, type, mode, ip, domain, port, apn, other_apn; an empty cell "
              "takes the settings file's field",
              kDescriptionColumn);
    help +=
        "\n"
        "Both \"--option value\" and \"--option=value\" are accepted; a value that begins with \"--\"\n"
        "is given as \"--option=value\".\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  a missing field or a failed check; send, batch and listen also when the modem or a\n"
        "     row failed, no reply came in time, no DTU connected, or a DTU of --fleet did not\n"
        "     connect\n"
        "  2  a bad option, a settings file named but missing, an input file that cannot be\n"
        "     opened or is no CSV file\n";
    return help;
}

std::string HelpText(const base::TranslateFn& translate) {
    return base::TranslateOrKeep(translate, EnglishHelpText());
}

std::string SettingsFileLine(const base::TranslateFn& translate, const std::string& path) {
    return base::FillPlaceholders(base::TranslateOrKeep(translate, "Settings file: %s"), {path}) + "\n";
}

}  // namespace app
