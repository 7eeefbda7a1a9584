#include "app/cli/CliOptionTable.h"

namespace app {

const CliOption* FindCliOption(std::string_view name) {
    for (const CliOption& option : kCliOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

std::string OptionChoices(const CliOption& option) {
    if (option.value != OptionValue::Choice) {
        return {};
    }
    return option.target == OptionTarget::Field ? FieldChoiceList(option.field) : std::string(option.choices);
}

std::string_view CommandNameOf(CliCommand command) {
    for (const CliSubcommand& known : kCliSubcommands) {
        if (known.command == command) {
            return known.name;
        }
    }
    return {};
}

}  // namespace app
