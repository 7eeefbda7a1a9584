#pragma once

// The command line's grammar, parsed without side effects: argument strings in, either a request
// or a usage error out. Running the request is CommandLine.cpp's job.
//
//   dtusms [--help | --version]
//   dtusms <command> [--settings FILE] [--lang CODE] [field flags]
//   commands: those of kCliSubcommands (sms, check-port, judge-mapping, wan-ip)
//   field flags: --type config|query  --mode static|domain  --ip TEXT  --domain TEXT  --port N
//                --apn cmnet|cmwap|uninet|other  --other-apn TEXT  --dtu TEXT
//
// Every flag takes "--flag value" or "--flag=value". Choice values are matched without regard to
// ASCII case; a port is decimal digits from 1000 to 99999. A flag given twice takes the last value.
// --lang takes a language code as the engine takes it ("zh_cn", "zh_TW", "en_US", ...; "" is the
// automatic language), kept exactly as written.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/Placeholders.h"

namespace app {

enum class CliCommand { Help, Version, Sms, CheckPort, JudgeMapping, WanIp };

// A subcommand: its name on the command line and its line in the help text.
struct CliSubcommand {
    CliCommand command;
    std::string_view name;
    std::string_view summary;
};

// The subcommands in the order the help text lists them. A new subcommand adds its row here, its run
// function (app/cli/Subcommands.h) and its row in the runner's dispatch table.
inline constexpr std::array<CliSubcommand, 4> kCliSubcommands{{
    {CliCommand::Sms, "sms", "print the SMS command"},
    {CliCommand::CheckPort, "check-port", "test a TCP connection to the server address and port"},
    {CliCommand::JudgeMapping, "judge-mapping", "tell whether the server needs port mapping in its router"},
    {CliCommand::WanIp, "wan-ip", "print this computer's public address"},
}};

// Field values given on the command line; each one replaces what the settings file holds.
struct CliFieldOverrides {
    std::optional<int> smsCommandType;     // 0 config, 1 query
    std::optional<int> serverAddressMode;  // 0 static, 1 domain
    std::optional<std::string> staticIp;
    std::optional<std::string> domainAddress;
    std::optional<int> port;
    std::optional<int> serviceNetwork;  // 0 cmnet, 1 cmwap, 2 uninet, 3 other
    std::optional<std::string> otherApn;
    std::optional<std::string> dtuNumber;
};

struct CliRequest {
    CliCommand command = CliCommand::Help;
    std::optional<std::string> settingsPath;  // default: GPRSInfo.ini beside the program
    std::optional<std::string> language;      // default: "nLanguageID" of the settings file
    CliFieldOverrides fields;
};

// A usage fault, as an English format with "%s" placeholders filled in order by `arguments`
// (base::FillPlaceholders), so that the format can be translated before it is filled.
struct CliUsageError {
    std::string format;
    std::vector<base::FormatArg> arguments;
};

using CliParseResult = std::variant<CliRequest, CliUsageError>;

// Parses the arguments after the program name. No arguments give the Help command.
CliParseResult ParseCommandLine(const std::vector<std::string>& args);

// The subcommand names as a sentence lists them: "sms, check-port, judge-mapping or wan-ip".
std::string SubcommandNameList();

}  // namespace app
