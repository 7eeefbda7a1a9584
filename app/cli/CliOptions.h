#pragma once

// The command line's grammar, parsed without side effects: argument strings in, either a request
// or a usage error out. Running the request is CommandLine.cpp's job.
//
//   dtusms [--help | --version]
//   dtusms <command> [--settings FILE] [--lang CODE] [options of the command]
//   commands: those of kCliSubcommands
//   field flags (sms, qr, send, check-port, judge-mapping, wan-ip):
//                --type config|query  --mode static|domain  --ip TEXT  --domain TEXT  --port N
//                --apn cmnet|cmwap|uninet|other  --other-apn TEXT  --dtu TEXT
//   sms:         --length
//   qr:          --phone NUMBER  --output FILE
//   send:        --phone NUMBER  --modem auto|mm|DEVICE  --smsc NUMBER  --wait-reply SECONDS
//   batch FILE:  --output FILE  --qr-dir DIR  --send  --modem (repeatable)  --rate N  --smsc  --wait-reply
//                --resume
//                --resend-doubtful (with --resume)  --encoding utf-8|gb18030  --quiet
//   listen:      --port N (1 to 65535)  --bind ADDRESS  --timeout SECONDS  --count N  --fleet FILE
//                --output FILE (with --fleet)
//
// Every flag with a value takes "--flag value" or "--flag=value"; a switch (--length, --send,
// --resume, --resend-doubtful, --quiet) takes no value. Choice values are matched without regard to ASCII
// case; a field port is decimal digits from 1000 to 99999. A flag given twice takes the last value. A flag
// that does not belong to the command given is a usage error naming both. --lang takes a language
// code as the engine takes it ("zh_cn", "zh_TW", "en_US", ...; "" is the automatic language), kept
// exactly as written. --phone is kept as typed: its validation is the command's, since an invalid
// number is a missing field, not a usage fault. --smsc must be a phone number and is kept as dialled
// (sms::NormalizePhoneNumber). A flag that takes a value, followed by nothing or by a word that
// begins with "--", lacks its value: "--flag=--x" gives a value that begins so, and "-" alone is a
// value. Every flag is a row of kCliOptions (app/cli/CliOptionTable.h).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/Placeholders.h"
#include "fleet/TextEncoding.h"

namespace app {

enum class CliCommand { Help, Version, Sms, CheckPort, JudgeMapping, WanIp, Qr, Send, Batch, Listen };

// A subcommand: its name on the command line and its line in the help text.
struct CliSubcommand {
    CliCommand command;
    std::string_view name;
    std::string_view summary;
};

// The subcommands in the order the help text lists them. A new subcommand adds its row here, its run
// function (app/cli/Subcommands.h) and its row in the runner's dispatch table.
inline constexpr std::array<CliSubcommand, 8> kCliSubcommands{{
    {CliCommand::Sms, "sms", "print the SMS command"},
    {CliCommand::CheckPort, "check-port", "test a TCP connection to the server address and port"},
    {CliCommand::JudgeMapping, "judge-mapping", "tell whether the server needs port mapping in its router"},
    {CliCommand::WanIp, "wan-ip", "print this computer's public address"},
    {CliCommand::Qr, "qr", "draw the SMS as a QR code that a phone's camera opens as a message"},
    {CliCommand::Send, "send", "send the SMS to the DTU through a GSM modem"},
    {CliCommand::Batch, "batch", "compose (and send) the SMS for every row of a CSV file"},
    {CliCommand::Listen, "listen", "show each DTU that connects to the server port"},
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

// The modem options of send and batch.
struct CliModemOptions {
    std::string modem = "auto";  // "auto", "mm", a ModemManager path, a serial device or a gateway URL
    // batch: every modem named, in order, comma-separated lists split (it sends through them all);
    // "all" stands for every usable modem found. Empty: `modem` alone. send takes `modem`, the last.
    std::vector<std::string> modems;
    std::optional<int> ratePerMinute;          // batch: at most this many SMS a minute per modem
    std::string smsc;                          // as dialled; empty: the SIM card's own service centre
    std::optional<int> waitReplySeconds;       // 1 to 86400; absent: no waiting
    std::optional<std::string> gatewayListen;  // "ADDRESS:PORT" of the receiver Kannel calls back
};

// The options of batch.
struct CliBatchOptions {
    std::string inputPath;  // "-" reads standard input
    std::optional<std::string> qrDirectory;
    bool send = false;
    bool resume = false;
    bool resendDoubtful = false;  // send again the rows the journal has in doubt
    bool quiet = false;
    fleet::EncodingChoice encoding = fleet::EncodingChoice::Detect;
};

// The options of listen.
struct CliListenOptions {
    std::optional<int> port;  // 1 to 65535; absent: the settings file's server port
    std::string bindAddress = "0.0.0.0";
    std::optional<int> timeoutSeconds;     // 1 to 604800
    std::optional<int> count;              // 1 to 1000000
    std::optional<std::string> fleetPath;  // the fleet whose DTUs are awaited
};

struct CliRequest {
    CliCommand command = CliCommand::Help;
    std::optional<std::string> settingsPath;  // default: GPRSInfo.ini beside the program
    std::optional<std::string> language;      // default: "nLanguageID" of the settings file
    CliFieldOverrides fields;
    bool showLength = false;                // sms --length
    std::optional<std::string> phone;       // qr, send: as typed
    std::optional<std::string> outputPath;  // qr, batch, listen --fleet
    CliModemOptions modem;
    CliBatchOptions batch;
    CliListenOptions listen;
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

// The subcommand names as a sentence lists them: "sms, check-port, ... or listen".
std::string SubcommandNameList();

// ---- The field values, shared by the field flags and the cells of a batch file ----

enum class FieldName { Type, Mode, Ip, Domain, Port, Apn, OtherApn, Dtu };

// Why a field value was refused: the text is no choice of `accepted` ("config|query"), or no port.
struct FieldValueError {
    enum class Kind { NotAChoice, NotAPort } kind = Kind::NotAChoice;
    std::string accepted;  // the choices, for NotAChoice
};

// Sets the field `name` of `fields` from `value` as the flag of that field takes it: choices
// ignoring ASCII case, a port of 1 to 5 decimal digits from 1000 to 99999, texts as they stand.
std::optional<FieldValueError> ApplyFieldValue(FieldName name, std::string_view value,
                                               CliFieldOverrides& fields);

// The choices of a choice field as its messages list them ("config|query"); empty for other fields.
std::string FieldChoiceList(FieldName name);

// A field port: decimal digits only, 1000 to 99999.
std::optional<int> ParseFieldPort(std::string_view text);

}  // namespace app
