#include "app/cli/CommandLine.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <variant>

#include "app/cli/CliFields.h"
#include "app/cli/CliHelp.h"
#include "app/cli/CliOptions.h"
#include "app/cli/LanguageCodes.h"
#include "app/cli/StreamEngineMessages.h"
#include "app/cli/Terminal.h"
#include "base/Placeholders.h"
#include "base/ProgramPath.h"
#include "base/Translate.h"
#include "base/Utf8Path.h"
#include "i18n/EngineStartup.h"
#include "settings/ProfileFile.h"
#include "settings/Settings.h"

namespace app {
namespace {

int RunHelp(const CliRequest& request, const CliOutput& output) {
    // A paragraph of its own, so that the manual page made from the help keeps it apart too.
    output.out << HelpText(output.translate) << '\n'
               << SettingsFileLine(output.translate, SettingsPathOf(request));
    return kExitDone;
}

int RunVersion(const CliRequest& /*request*/, const CliOutput& output) {
    output.out << "dtusms " << DTUSMS_VERSION << '\n'
               << "Copyright (C) 2026 the dtusms authors. MIT licence: free to use, change and share, "
                  "without warranty.\n";
    return kExitDone;
}

using RunFunction = int (*)(const CliRequest&, const CliOutput&);

struct Runner {
    CliCommand command;
    RunFunction run;
};

constexpr Runner kRunners[] = {
    {CliCommand::Help, RunHelp},
    {CliCommand::Version, RunVersion},
    {CliCommand::Sms, RunSms},
    {CliCommand::CheckPort, RunCheckPort},
    {CliCommand::JudgeMapping, RunJudgeMapping},
    {CliCommand::WanIp, RunWanIp},
    {CliCommand::Qr, RunQr},
    {CliCommand::Send, RunSend},
    {CliCommand::Batch, RunBatch},
    {CliCommand::Listen, RunListen},
};

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
    const int number = settings::ProfileFile(SettingsPathOf(request))
                           .ReadInteger(sms::keys::kSection, sms::keys::kLanguageId, 0);
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

// A settings file named by --settings that is not there is a mistyped name: composing from the
// first-start defaults instead would hand out a command nobody asked for.
bool NamedSettingsFileMissing(const CliRequest& request) {
    if (!request.settingsPath || request.command == CliCommand::Help ||
        request.command == CliCommand::Version) {
        return false;
    }
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(base::Utf8Path(*request.settingsPath), error);
    return status.type() == std::filesystem::file_type::not_found ||
           status.type() == std::filesystem::file_type::directory;
}

int RunRequest(const CliRequest& request, const CliOutput& output) {
    for (const Runner& runner : kRunners) {
        if (runner.command == request.command) {
            return runner.run(request, output);
        }
    }
    // Only a command added to the parser but not to kRunners gets here.
    output.err << "dtusms: the command has no run function\n";
    return kExitFailed;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const CliOutput& output) {
    try {
        const CliParseResult parsed = ParseCommandLine(args);
        if (const auto* error = std::get_if<CliUsageError>(&parsed)) {
            output.err << "dtusms: "
                       << base::FillPlaceholders(base::TranslateOrKeep(output.translate, error->format),
                                                 error->arguments)
                       << ". " << base::TranslateOrKeep(output.translate, "See dtusms --help.") << '\n';
            return kExitUsage;
        }
        const auto& request = std::get<CliRequest>(parsed);
        SelectLanguage(request);
        if (NamedSettingsFileMissing(request)) {
            output.err << "dtusms: " << Say(output, "no settings file at %s", {*request.settingsPath})
                       << '\n';
            return kExitUsage;
        }
        return RunRequest(request, output);
    } catch (const std::exception& error) {
        output.err << "dtusms: " << error.what() << '\n';
    }
    return kExitFailed;
}

int RunCommandLine(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    int status = kExitFailed;
    try {
        StreamEngineMessages engineMessages(std::cerr);
        const i18n::EngineSession engine(base::ProgramFilePath(), i18n::SystemLocaleSource(), engineMessages);
        status = RunCommandLine(args, {std::cout, std::cerr, TranslateForTerminal, StandardErrorIsTerminal(),
                                       StandardOutputIsTerminal()});
    } catch (const std::exception& error) {
        std::cerr << "dtusms: " << error.what() << '\n';
    }
    std::cout.flush();
    return std::cout.fail() ? kExitFailed : status;
}

}  // namespace app
