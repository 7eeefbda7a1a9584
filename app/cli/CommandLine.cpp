#include "app/CommandLine.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <variant>

#include <unistd.h>

#include "app/CliOptions.h"
#include "app/EngineMessages.h"
#include "app/LanguageCodes.h"
#include "i18n/EngineStartup.h"
#include "i18n/FileLocator.h"
#include "net/AddressLookup.h"
#include "net/ServerChecks.h"
#include "net/WanAddress.h"
#include "sms/ProfileFile.h"
#include "sms/Settings.h"
#include "sms/SmsCommand.h"

namespace app {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

CliTranslator& Translator() {
    static CliTranslator translator;
    return translator;
}

std::string SettingsPathOf(const CliRequest& request) {
    return request.settingsPath.value_or(sms::SettingsPathBesideProgram());
}

// --lang, else the language the window would show: "nLanguageID" of the settings file.
void SelectLanguage(const CliRequest& request) {
    i18n::TGnuGettextInstance* engine = i18n::DefaultInstancePointer();
    if (engine == nullptr) {
        return;
    }
    if (request.language) {
        engine->SelectLanguage(*request.language);
        return;
    }
    const int number =
        sms::ProfileFile(SettingsPathOf(request)).ReadInteger(sms::keys::kSection, sms::keys::kLanguageId, 0);
    engine->SelectLanguage(LanguageCodeOf(number));
}

// The engine's translation with a terminal's line ends: the engine gives every line break as CR LF.
std::string TranslateForTerminal(const std::string& english) {
    std::string text = i18n::Translate(english);
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
}

int ListIndexOrNone(int stored, int itemCount) {
    return (stored >= 0 && stored < itemCount) ? stored : -1;
}

// The fields as the window would show them after loading the file, then the flags on top.
sms::TGPRSInfo LoadFields(const CliRequest& request, bool needsLocalAddress) {
    const CliFieldOverrides& flags = request.fields;
    const std::string path = SettingsPathOf(request);
    // The local address only fills in a missing static IP; a look-up that --ip replaces anyway
    // would just cost a resolver round trip.
    const sms::LocalAddressProvider localAddress = [&]() -> std::string {
        return (needsLocalAddress && !flags.staticIp) ? net::GetLocalIP() : std::string();
    };
    sms::TGPRSInfo info = sms::LoadSettings(path, localAddress);
    info.Port = std::clamp(info.Port, 1000, 99999);
    info.ServerAddressMode = ListIndexOrNone(info.ServerAddressMode, 2);
    info.SMSCommandType = ListIndexOrNone(info.SMSCommandType, 2);
    info.ServiceNetwork = ListIndexOrNone(info.ServiceNetwork, 4);

    info.SMSCommandType = flags.smsCommandType.value_or(info.SMSCommandType);
    info.ServerAddressMode = flags.serverAddressMode.value_or(info.ServerAddressMode);
    info.StaticIP = flags.staticIp.value_or(info.StaticIP);
    info.DomainAddress = flags.domainAddress.value_or(info.DomainAddress);
    info.Port = flags.port.value_or(info.Port);
    info.ServiceNetwork = flags.serviceNetwork.value_or(info.ServiceNetwork);
    info.OtherAPN = flags.otherApn.value_or(info.OtherAPN);
    info.DTUNumber = flags.dtuNumber.value_or(info.DTUNumber);
    return info;
}

net::ServerTarget TargetOf(const sms::TGPRSInfo& info) {
    return {info.ServerAddressMode, info.StaticIP, info.DomainAddress, info.Port};
}

std::string MissingFieldMessage(const std::string& label) {
    return sms::FormatValidationMessage(CliTranslate, label);
}

int RunSms(const CliRequest& request, std::ostream& out, std::ostream& err) {
    const sms::SmsCommandResult result = sms::GenerateSMSCommand(LoadFields(request, true));
    if (!result.ok) {
        err << MissingFieldMessage(result.failedLabel) << '\n';
        return kExitFailed;
    }
    out << result.command << '\n';
    return kExitDone;
}

int RunCheckPort(const CliRequest& request, std::ostream& out, std::ostream& err) {
    // The window's status line becomes a progress line, but only for a person watching a terminal.
    const bool showProgress = &err == &std::cerr && ::isatty(STDERR_FILENO);
    const net::PortTestResult result = net::RunServerPortTest(TargetOf(LoadFields(request, true)),
                                                              CliTranslate, [&](const std::string& status) {
                                                                  if (showProgress) {
                                                                      err << status << '\n';
                                                                  }
                                                              });
    if (result.missingField) {
        err << MissingFieldMessage(*result.missingField) << '\n';
        return kExitFailed;
    }
    out << result.outcomeText << '\n';
    return result.connected ? kExitDone : kExitFailed;
}

int RunJudgeMapping(const CliRequest& request, std::ostream& out, std::ostream& err) {
    const net::MappingResult result =
        net::JudgePortMapping(TargetOf(LoadFields(request, true)), CliTranslate);
    if (result.missingField) {
        err << MissingFieldMessage(*result.missingField) << '\n';
        return kExitFailed;
    }
    out << result.verdictText << '\n';
    return kExitDone;
}

int RunWanIp(std::ostream& out, std::ostream& err) {
    try {
        // A reply without an address is no failed request: the window would empty the field.
        out << net::GetWanIP() << '\n';
        return kExitDone;
    } catch (const net::WanRequestError& error) {
        // The window's error box ends a text that closes on a letter or digit with a full stop.
        std::string text = error.what();
        if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
            text += '.';
        }
        err << text << '\n';
        return kExitFailed;
    }
}

}  // namespace

void SetCliTranslator(CliTranslator translator) {
    Translator() = std::move(translator);
}

std::string CliTranslate(const std::string& english) {
    const CliTranslator& translator = Translator();
    return translator ? translator(english) : english;
}

std::string HelpText() {
    return CliTranslate(
        "Usage: dtusms [COMMAND] [OPTIONS]\n"
        "Composes the configuration SMS for a TQ-3VOVE DTU and checks the server side.\n"
        "Without a command the window opens.\n"
        "\n"
        "Commands:\n"
        "  sms            print the SMS command\n"
        "  check-port     test a TCP connection to the server address and port\n"
        "  judge-mapping  tell whether the server needs port mapping in its router\n"
        "  wan-ip         print this computer's public address\n"
        "\n"
        "Options (fields are read from the settings file; each option replaces one):\n"
        "  --settings FILE                  settings file (default: GPRSInfo.ini beside the program)\n"
        "  --lang CODE                      language of the messages: en, zh_cn, zh_tw, ... or \"\"\n"
        "                                   for automatic (default: the window's choice in the file)\n"
        "  --type config|query              SMS command type\n"
        "  --mode static|domain             server address mode\n"
        "  --ip TEXT                        static IP\n"
        "  --domain TEXT                    domain address\n"
        "  --port N                         server port, 1000 to 99999\n"
        "  --apn cmnet|cmwap|uninet|other   service network (APN)\n"
        "  --other-apn TEXT                 APN used with --apn other\n"
        "  --dtu TEXT                       DTU number\n"
        "  --help                           show this help\n"
        "  --version                        show the version\n"
        "Both \"--option value\" and \"--option=value\" are accepted.\n"
        "\n"
        "Exit status: 0 done, 1 missing field or failed check, 2 bad option.\n");
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const CliParseResult parsed = ParseCommandLine(args);
        if (const auto* error = std::get_if<CliUsageError>(&parsed)) {
            err << "dtusms: " << FillPlaceholders(CliTranslate(error->format), error->arguments) << ". "
                << CliTranslate("See dtusms --help.") << '\n';
            return kExitUsage;
        }
        const CliRequest& request = std::get<CliRequest>(parsed);
        SelectLanguage(request);
        switch (request.command) {
            case CliCommand::Help:
                out << HelpText();
                return kExitDone;
            case CliCommand::Version:
                out << DTUSMS_VERSION << '\n';
                return kExitDone;
            case CliCommand::Sms:
                return RunSms(request, out, err);
            case CliCommand::CheckPort:
                return RunCheckPort(request, out, err);
            case CliCommand::JudgeMapping:
                return RunJudgeMapping(request, out, err);
            case CliCommand::WanIp:
                return RunWanIp(out, err);
        }
    } catch (const std::exception& error) {
        err << "dtusms: " << error.what() << '\n';
    }
    return kExitFailed;
}

int RunCommandLine(int argc, char* argv[]) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    int status = kExitFailed;
    try {
        StreamEngineMessages engineMessages;
        const i18n::EngineSession engine(i18n::CurrentProgramFileName(), i18n::SystemLocaleSource(),
                                         engineMessages);
        SetCliTranslator(TranslateForTerminal);
        status = RunCommandLine(args, std::cout, std::cerr);
        SetCliTranslator({});
    } catch (const std::exception& error) {
        SetCliTranslator({});
        std::cerr << "dtusms: " << error.what() << '\n';
    }
    std::cout.flush();
    return std::cout.fail() ? kExitFailed : status;
}

}  // namespace app
