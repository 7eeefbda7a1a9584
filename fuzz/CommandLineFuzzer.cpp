// Fuzzes the command line's argument parser. The input is the argument list with a NUL byte after
// each argument.
//
// Properties: parsing never throws; every usage error fills each of its placeholders and its message
// names every argument it was given; a text flag arrives in the request exactly as given (last one
// wins); a field port is always within the field's range, a listening port within TCP's.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/cli/CliOptionTable.h"
#include "app/cli/CliOptions.h"

namespace {

[[noreturn]] void Violation() {
    std::abort();
}

std::size_t CountPlaceholders(std::string_view format) {
    std::size_t count = 0;
    for (std::size_t at = format.find("%s"); at != std::string_view::npos; at = format.find("%s", at + 2)) {
        ++count;
    }
    return count;
}

// The value that the last occurrence of `flag` carries, following the grammar's two spellings; only
// used on argument lists that parsed, where every flag has its value.
std::optional<std::string> LastValue(const std::vector<std::string>& args, std::string_view flag) {
    std::optional<std::string> value;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        const app::CliOption* option = app::FindCliOption(name == "-h" ? "--help" : name);
        const bool takesValue = option != nullptr && option->value != app::OptionValue::None;
        std::optional<std::string> given;
        if (equals != std::string::npos) {
            given = arg.substr(equals + 1);
        } else if (takesValue) {
            given = args[++i];
            // The next option is never taken for a missing value.
            if (given->starts_with("--")) {
                Violation();
            }
        }
        if (name == flag) {
            value = given;
        }
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (std::size_t pos = 0; pos < input.size();) {
        const std::size_t end = std::min(input.find('\0', pos), input.size());
        args.emplace_back(input.substr(pos, end - pos));
        pos = end + 1;
    }
    if (args.size() > 64) {
        return 0;
    }

    const app::CliParseResult parsed = app::ParseCommandLine(args);
    if (const auto* error = std::get_if<app::CliUsageError>(&parsed)) {
        if (CountPlaceholders(error->format) != error->arguments.size()) {
            Violation();
        }
        const std::string message = base::FillPlaceholders(error->format, error->arguments);
        for (const base::FormatArg& arg : error->arguments) {
            const std::string& argument = std::get<std::string>(arg);
            if (message.find(argument) == std::string::npos) {
                Violation();
            }
        }
        return 0;
    }
    const app::CliRequest& request = std::get<app::CliRequest>(parsed);
    const app::CliFieldOverrides& fields = request.fields;
    if (fields.staticIp != LastValue(args, "--ip") || fields.domainAddress != LastValue(args, "--domain") ||
        fields.otherApn != LastValue(args, "--other-apn") || fields.dtuNumber != LastValue(args, "--dtu") ||
        request.settingsPath != LastValue(args, "--settings")) {
        Violation();
    }
    if (fields.port && (*fields.port < 1000 || *fields.port > 99999)) {
        Violation();
    }
    if (request.listen.port && (*request.listen.port < 1 || *request.listen.port > 65535)) {
        Violation();
    }
    return 0;
}
