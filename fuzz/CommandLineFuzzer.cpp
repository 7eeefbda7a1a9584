// Fuzzes the command line's argument parser, and the "sms" command run on what it parsed. The input
// is the argument list with a NUL byte after each argument.
//
// Properties: parsing never throws; every usage error fills each of its placeholders; a text flag
// arrives in the request exactly as given (last one wins); and "sms" prints the running query or a
// configuration command that ends with the DTU number as given, trimmed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <unistd.h>

#include "app/CliOptions.h"
#include "app/CommandLine.h"
#include "sms/SmsCommand.h"

namespace {

std::string g_settingsPath;

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
        const bool takesValue = name != "--help" && name != "-h" && name != "--version";
        std::optional<std::string> given;
        if (equals != std::string::npos) {
            given = arg.substr(equals + 1);
        } else if (takesValue) {
            given = args[++i];
        }
        if (name == flag) {
            value = given;
        }
    }
    return value;
}

void CheckSmsRun(const std::vector<std::string>& args, const app::CliRequest& request) {
    // Only runs that need no network and no local address: the static IP comes from the flags.
    if (request.command != app::CliCommand::Sms || request.settingsPath || !request.fields.staticIp) {
        return;
    }
    std::vector<std::string> withSettings{"--settings=" + g_settingsPath};
    withSettings.insert(withSettings.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    const int status = app::RunCommandLine(withSettings, out, err);
    if (status == 1) {
        if (!out.str().empty() || err.str().empty()) {
            Violation();
        }
        return;
    }
    if (status != 0 || !err.str().empty()) {
        Violation();
    }
    const std::string printed = out.str();
    if (request.fields.smsCommandType == 1) {
        if (printed != std::string(sms::kRunningQueryCommand) + "\n") {
            Violation();
        }
        return;
    }
    // The settings file gives a DTU number when no flag does.
    const std::string dtu = sms::TrimBlanks(request.fields.dtuNumber.value_or("TQ-编号-📡"));
    const std::string ending = "#4*" + dtu + ")\n";
    if (!printed.starts_with("(A55A#") || !printed.ends_with(ending)) {
        Violation();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/dtusms-fuzz-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) {
        std::abort();
    }
    const std::string settings =
        "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nDTU number=TQ-编号-📡\r\nOther APN= iot \r\n";
    if (::write(fd, settings.data(), settings.size()) != static_cast<ssize_t>(settings.size())) {
        std::abort();
    }
    ::close(fd);
    g_settingsPath = pattern;
    std::atexit([] { std::remove(g_settingsPath.c_str()); });
    return 0;
}

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
        const std::string message = app::FillPlaceholders(error->format, error->arguments);
        for (const std::string& argument : error->arguments) {
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
    CheckSmsRun(args, request);
    return 0;
}
