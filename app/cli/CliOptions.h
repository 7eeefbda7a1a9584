#pragma once

// The command line's grammar, parsed without side effects: argument strings in, either a request
// or a usage error out. Running the request is CommandLine.cpp's job.
//
//   dtusms [--help | --version]
//   dtusms <command> [--settings FILE] [--lang CODE] [field flags]
//   commands: sms, check-port, judge-mapping, wan-ip
//   field flags: --type config|query  --mode static|domain  --ip TEXT  --domain TEXT  --port N
//                --apn cmnet|cmwap|uninet|other  --other-apn TEXT  --dtu TEXT
//
// Every flag takes "--flag value" or "--flag=value". Choice values are matched without regard to
// ASCII case; a port is decimal digits from 1000 to 99999. A flag given twice takes the last value.
// --lang takes a language code as the engine takes it ("zh_cn", "zh_TW", "en_US", ...; "" is the
// automatic language), kept exactly as written.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace app {

enum class CliCommand { Help, Version, Sms, CheckPort, JudgeMapping, WanIp };

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

// A usage fault, as an English format with "%s" placeholders filled in order by `arguments`, so that
// the format can be translated before it is filled.
struct CliUsageError {
    std::string format;
    std::vector<std::string> arguments;
};

using CliParseResult = std::variant<CliRequest, CliUsageError>;

// Parses the arguments after the program name. No arguments give the Help command.
CliParseResult ParseCommandLine(const std::vector<std::string>& args);

// `format` with each "%s" replaced by the next of `arguments` (missing ones by nothing).
std::string FillPlaceholders(const std::string& format, const std::vector<std::string>& arguments);

}  // namespace app
